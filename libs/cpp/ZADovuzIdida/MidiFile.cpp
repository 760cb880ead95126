#include "MidiFile.h"

#include <QDebug>
#include <QFile>

namespace ZADovuzIdida {

namespace {

const char* const kInstrumentNames[] = {
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "None"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Acoustic Grand Piano"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Bright Acoustic Piano"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Grand Piano"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Honky-tonk Piano"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Piano 1"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Piano 2"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Harpsichord"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Clavinet"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Celesta"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Glockenspiel"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Music Box"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Vibraphone"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Marimba"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Xylophone"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Tubular Bells"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Dulcimer"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Drawbar Organ"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Percussive Organ"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Rock Organ"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Church Organ"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Reed Organ"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Accordion"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Harmonica"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Tango Accordion"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Acoustic Guitar (nylon)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Acoustic Guitar (steel)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Guitar (jazz)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Guitar (clean)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Guitar (mute)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Overdriven Guitar"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Distortion Guitar"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Guitar Harmonics"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Acoustic Bass"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Bass (finger)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Electric Bass (pick)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Fretless Bass"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Slap Bass 1"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Slap Bass 2"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Synth Bass 1"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Synth Bass 2"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Violin"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Viola"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Cello"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Contrabass"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Tremolo Strings"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pizzicato Strings"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Orchestral Harp"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Timpani"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "String Ensemble 1"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "String Ensemble 2"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "SynthStrings 1"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "SynthStrings 2"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Choir Aahs"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Voice Oohs"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Synth Voice"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Orchestra Hit"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Trumpet"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Trombone"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Tuba"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Muted Trumpet"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "French Horn"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Brass Section"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "SynthBrass 1"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "SynthBrass 2"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Soprano Sax"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Alto Sax"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Tenor Sax"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Baritone Sax"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Oboe"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "English Horn"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Bassoon"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Clarinet"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Piccolo"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Flute"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Recorder"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pan Flute"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Blown Bottle"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Shakuhachi"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Whistle"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Ocarina"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 1 (square)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 2 (sawtooth)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 3 (calliope)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 4 (chiff)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 5 (charang)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 6 (voice)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 7 (fifths)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Lead 8 (bass+lead)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 1 (new age)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 2 (warm)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 3 (polysynth)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 4 (choir)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 5 (bowed)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 6 (metallic)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 7 (halo)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Pad 8 (sweep)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 1 (rain)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 2 (soundtrack)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 3 (crystal)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 4 (atmosphere)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 5 (brightness)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 6 (goblins)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 7 (echoes)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "FX 8 (sci-fi)"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Sitar"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Banjo"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Shamisen"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Koto"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Kalimba"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Bag pipe"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Fiddle"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Shanai"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Tinkle Bell"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Agogo"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Steel Drums"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Woodblock"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Taiko Drum"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Melodic Tom"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Synth Drum"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Reverse Cymbal"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Guitar Fret Noise"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Breath Noise"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Seashore"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Bird Tweet"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Telephone Ring"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Helicopter"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Applause"),
    QT_TRANSLATE_NOOP("ZADovuzIdida::MidiFile", "Gunshot"),
};
static_assert(sizeof(kInstrumentNames) / sizeof(kInstrumentNames[0]) == 129, "129 instrument names");

const unsigned int kMaxVarLen = 1u << 28;
const unsigned int kChordTicks = 384;

} // namespace

MidiFile::MidiFile(QObject* parent) : QObject(parent)
{
    static const char* const pitchClasses[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    m_vecNoteNames.reserve(128);
    for (int n = 0; n < 128; ++n)
        m_vecNoteNames.append(QString::fromLatin1(pitchClasses[n % 12]) + QString::number(n / 12 - 1));
    m_vecInstrumentNames.reserve(129);
    for (const char* instrument : kInstrumentNames)
        m_vecInstrumentNames.append(tr(instrument));
}

MidiFile::~MidiFile() { closeFile(); }

bool MidiFile::writeBytes(const void* data, size_t size)
{
    if (!m_pFile)
        return false;
    fwrite(data, 1, size, m_pFile);
    return true;
}

bool MidiFile::writeVarLen(unsigned int value)
{
    char buffer[4];
    const int length = deltaTimeToArray(value, buffer);
    return length > 0 && writeBytes(buffer, size_t(length));
}

int MidiFile::createFile(const QString& path)
{
    closeFile();
    m_pFile = fopen(QFile::encodeName(path).constData(), "wb");
    if (!m_pFile)
        return 1;
    static const unsigned char header[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 0x60};
    writeBytes(header, sizeof(header));
    return 0;
}

int MidiFile::closeFile()
{
    if (m_pFile)
        fclose(m_pFile);
    m_pFile = nullptr;
    return 0;
}

int MidiFile::beginTrack()
{
    if (!m_pFile)
        return 1;
    m_nTrackStart = ftell(m_pFile);
    static const unsigned char head[] = {'M', 'T', 'r', 'k', 0, 0, 0, 0};
    writeBytes(head, sizeof(head));
    return 0;
}

int MidiFile::endTrack()
{
    if (!m_pFile)
        return 1;
    static const unsigned char endOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};
    writeBytes(endOfTrack, sizeof(endOfTrack));
    const long end = ftell(m_pFile);
    const unsigned long length = static_cast<unsigned long>(end - m_nTrackStart - 8);
    const unsigned char bytes[] = {static_cast<unsigned char>(length >> 24), static_cast<unsigned char>(length >> 16),
                                   static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    fseek(m_pFile, m_nTrackStart + 4, SEEK_SET);
    writeBytes(bytes, sizeof(bytes));
    fseek(m_pFile, end, SEEK_SET);
    return 0;
}

int MidiFile::metaEvent(unsigned char type, unsigned int length, unsigned char* data)
{
    if (!m_pFile || length >= kMaxVarLen || (length > 0 && !data))
        return 1;
    const unsigned char head[] = {0x00, 0xFF, type};
    writeBytes(head, sizeof(head));
    writeVarLen(length);
    if (length > 0)
        writeBytes(data, length);
    return 0;
}

long MidiFile::changeByteOrder(long value)
{
    const quint32 v = static_cast<quint32>(value);
    const quint32 swapped = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
    return static_cast<long>(swapped);
}

int MidiFile::setTimeSignature(unsigned char numerator, unsigned char denominator)
{
    if (!m_pFile)
        return 1;
    unsigned char power;
    switch (denominator) {
    case 1:
        power = 0;
        break;
    case 2:
        power = 1;
        break;
    case 8:
        power = 3;
        break;
    case 16:
        power = 4;
        break;
    case 32:
        power = 5;
        break;
    case 64:
        power = 6;
        break;
    case 128:
        power = 7;
        break;
    default:
        power = 2;
        break;
    }
    const unsigned char event[] = {0x00, 0xFF, 0x58, 0x04, numerator, power, 24, 8};
    writeBytes(event, sizeof(event));
    return 0;
}

int MidiFile::setTempo(long bpm)
{
    if (!m_pFile || bpm <= 0)
        return 1;
    const unsigned long micros = qMin(60000000UL / static_cast<unsigned long>(bpm), 0xFFFFFFUL);
    const unsigned char event[] = {0x00,
                                   0xFF,
                                   0x51,
                                   0x03,
                                   static_cast<unsigned char>(micros >> 16),
                                   static_cast<unsigned char>(micros >> 8),
                                   static_cast<unsigned char>(micros)};
    writeBytes(event, sizeof(event));
    return 0;
}

int MidiFile::deltaTimeToArray(unsigned int value, char* buffer)
{
    if (value >= kMaxVarLen)
        return 0;
    int length = 1;
    while (length < 4 && value >= (1u << (7 * length)))
        ++length;
    for (int i = 0; i < length; ++i) {
        const unsigned int group = (value >> (7 * (length - 1 - i))) & 0x7F;
        buffer[i] = static_cast<char>(i < length - 1 ? group | 0x80 : group);
    }
    return length;
}

int MidiFile::midiEvent(unsigned int delta, unsigned char status, unsigned char data1, unsigned char data2)
{
    if (!m_pFile || delta >= kMaxVarLen)
        return 1;
    writeVarLen(delta);
    const unsigned char bytes[] = {status, data1, data2};
    writeBytes(bytes, sizeof(bytes));
    return 0;
}

int MidiFile::noteToMidi(const QString& name) const { return m_vecNoteNames.indexOf(name); }

int MidiFile::makeProgramChange(int channel, int program)
{
    if (!m_pFile)
        return 1;
    const unsigned char event[] = {0x00, static_cast<unsigned char>(0xC0 + (channel & 0x0F)),
                                   static_cast<unsigned char>(program & 0x7F)};
    writeBytes(event, sizeof(event));
    return 0;
}

void MidiFile::writeTempoTrack()
{
    beginTrack();
    setTimeSignature(4, 4);
    setTempo(120);
    endTrack();
}

void MidiFile::saveChord(const QStringList& notes, const QString& path, const GmInstrumentIndex& instrument)
{
    if (createFile(path) != 0)
        return;
    writeTempoTrack();
    beginTrack();
    const int index = qBound(0, int(instrument), m_vecInstrumentNames.size() - 1);
    QByteArray instrumentName = m_vecInstrumentNames.at(index).toLocal8Bit();
    metaEvent(4, static_cast<unsigned int>(instrumentName.size()),
              reinterpret_cast<unsigned char*>(instrumentName.data()));
    // Entry p + 1 of the names is program p; "None" leaves the player's program as it is.
    if (index > 0)
        makeProgramChange(0, index - 1);

    QVector<unsigned char> chord;
    for (const QString& note : notes) {
        const int number = note.isEmpty() ? -1 : noteToMidi(note);
        if (number >= 0)
            chord.append(static_cast<unsigned char>(number));
    }
    for (unsigned char number : chord)
        midiEvent(0, 0x90, number, 0x50);
    for (int i = 0; i < chord.size(); ++i)
        midiEvent(i == 0 ? kChordTicks : 0, 0x80, chord.at(i), 0x00);
    endTrack();
    closeFile();
}

void MidiFile::test()
{
    MidiFile writer;
    if (writer.createFile(QStringLiteral("testMelodie.mid")) != 0)
        return;
    writer.writeTempoTrack();
    writer.beginTrack();
    writer.endTrack();
    writer.closeFile();
}

void MidiFile::dump() const
{
    qDebug() << "---------- Begin MidiFile ----------";
    qDebug() << "file =" << static_cast<const void*>(m_pFile);
    qDebug() << "track start =" << m_nTrackStart;
    qDebug() << "note names =" << m_vecNoteNames.size();
    qDebug() << "instrument names =" << m_vecInstrumentNames.size();
    qDebug() << "---------- End MidiFile ----------";
}

} // namespace ZADovuzIdida
