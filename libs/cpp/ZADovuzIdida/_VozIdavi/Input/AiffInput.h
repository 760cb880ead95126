// Reader of FORM/AIFF files.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Input/FileInput.h>

namespace ZADovuzIdida {

class AiffInput : public FileInput
{
public:
    AiffInput() = default;
    ~AiffInput() override = default;
    QString name() const override { return QStringLiteral("AiffInput"); }
    // The sample format code of big-endian data of the held bit depth; 0 when unsupported.
    short fmt() const override;
    bool open(const char* path) override;
    QString extentions() const override { return QStringLiteral("aif aiff"); }

private:
    bool fail();
    // Channels, frames, bits and rate of the COMM chunk; false for a layout that cannot be read.
    bool readCommon();
};

} // namespace ZADovuzIdida
