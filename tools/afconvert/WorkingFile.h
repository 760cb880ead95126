#pragma once
// The tool's working file, its output's name followed by ".partial", and what the tool tells its caller about it.

namespace WorkingFile {

constexpr const char* kSuffix = ".partial";
// Exit status when a file is already under the working name: the tool has made nothing and touched nothing.
constexpr int kNameTakenExit = 4;
// On the tool's standard output once it has made the working file: from then on that file is the tool's.
constexpr char kMade = 'p';
// Exit status when the encode has ended well but can not be flushed to the disk or take the output's name: the tool
// removes nothing, and the encode stays under the working name, or under the output's once it has taken it.
constexpr int kKeptExit = 6;

} // namespace WorkingFile
