#pragma once
// zlib stream of data at level 9, without the length prefix that qCompress puts in front.

#include <QByteArray>

// Empty for empty data.
QByteArray phpCompress(const QByteArray& data);
