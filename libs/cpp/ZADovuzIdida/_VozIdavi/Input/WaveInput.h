// Reader of RIFF/WAVE files, Broadcast Wave included (bext and levl chunks).
#pragma once

#include <ZADovuzIdida/_VozIdavi/Input/FileInput.h>

namespace ZADovuzIdida {

class WaveInput : public FileInput
{
public:
    WaveInput() = default;
    ~WaveInput() override = default;
    QString name() const override { return QStringLiteral("WaveInput"); }
    // The sample format code of the held WAV format tag and bit depth; 0 when unsupported.
    short fmt() const override;
    bool open(const char* path) override;
    QString extentions() const override { return QStringLiteral("wav wave bwf"); }

private:
    bool fail();
    bool readFormat(quint64 size);
    void readData(quint64 size);
    void readList(quint64 size);
    void setFmt(short value);

    Chunk m_chunk = {};
    char m_achId[4] = {};
};

} // namespace ZADovuzIdida
