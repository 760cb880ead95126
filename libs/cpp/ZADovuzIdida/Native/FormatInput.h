#pragma once
// A media file opened with libavformat with its stream information read; closed again on destruction.

struct AVFormatContext;
class QString;

namespace ZADovuzIdida {

class FormatInput
{
public:
    explicit FormatInput(const QString& path);
    ~FormatInput();
    FormatInput(const FormatInput&) = delete;
    FormatInput& operator=(const FormatInput&) = delete;

    // Null when the path is empty, the file does not open or its stream information cannot be read.
    AVFormatContext* context() const { return m_pFormat; }

private:
    AVFormatContext* m_pFormat = nullptr;
};

} // namespace ZADovuzIdida
