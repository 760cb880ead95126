#pragma once
// Writes Standard MIDI Files (format 1, two tracks, 96 ticks per quarter note), including a one-bar chord.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdio>

namespace ZADovuzIdida {

class MidiFile : public QObject
{
    Q_OBJECT
public:
    // Position in the instrument names: 0 none, p + 1 the General MIDI program p.
    enum GmInstrumentIndex { None = 0, AcousticGrandPiano = 1, Gunshot = 128 };

    explicit MidiFile(QObject* parent = nullptr);
    ~MidiFile() override;

    // Replaces the file at path and writes the header chunk; 0 on success, 1 when it cannot be opened.
    int createFile(const QString& path);
    int closeFile();
    // The write operations below return 1 and write nothing when no file is open.
    int beginTrack();
    // Writes the end-of-track event and patches the chunk length.
    int endTrack();
    int metaEvent(unsigned char type, unsigned int length, unsigned char* data);
    // 32-bit byte swap of the argument's low four bytes.
    long changeByteOrder(long value);
    int setTimeSignature(unsigned char numerator, unsigned char denominator);
    // Beats per minute; 1 and nothing written for bpm 0 or less; slower than 4 bpm is written as the slowest tempo.
    int setTempo(long bpm);
    // Variable-length quantity into buffer; its length 1 to 4, 0 for values of 2^28 and above.
    int deltaTimeToArray(unsigned int value, char* buffer);
    int midiEvent(unsigned int delta, unsigned char status, unsigned char data1, unsigned char data2);
    // Position of name in the note names, -1 when absent (exact, case-sensitive).
    int noteToMidi(const QString& name) const;
    int makeProgramChange(int channel, int program);
    // Writes a complete file: the notes start together and last one 4/4 bar at 120 bpm; with None no program
    // change is written.
    void saveChord(const QStringList& notes, const QString& path, const GmInstrumentIndex& instrument);
    // Writes "testMelodie.mid" in the current directory.
    void test();

    const QVector<QString>& noteNames() const { return m_vecNoteNames; }
    const QVector<QString>& instrumentNames() const { return m_vecInstrumentNames; }
    QString name() const { return QStringLiteral("MidiFile"); }
    void dump() const;

private:
    bool writeBytes(const void* data, size_t size);
    bool writeVarLen(unsigned int value);
    void writeTempoTrack();

    FILE* m_pFile = nullptr;
    long m_nTrackStart = 0;
    QVector<QString> m_vecNoteNames;
    QVector<QString> m_vecInstrumentNames;
};

} // namespace ZADovuzIdida
