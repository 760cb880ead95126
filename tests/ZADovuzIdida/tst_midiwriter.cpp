#include "TestMain.h"
#include "Tools.h"

#include <ZADovuzIdida/MidiFile.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ZADovuzIdida;

namespace {

// Prints each track of a MIDI file as parsed by mido: one line per message (type, then its fields sorted),
// tracks separated by "--".
const char* const kMidoScript = R"(
import sys, mido
f = mido.MidiFile(sys.argv[1])
print('type', f.type, 'tracks', len(f.tracks), 'tpb', f.ticks_per_beat)
for t in f.tracks:
    print('--')
    for m in t:
        d = m.dict()
        print(' '.join([d.pop('type')] + ['%s=%s' % (k, d[k]) for k in sorted(d)]))
)";

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList midoDump(const QString& path)
{
    const TestKit::ToolResult result = TestKit::runTool(QStringLiteral("/usr/bin/python3"),
                                                        {QStringLiteral("-c"), QString::fromUtf8(kMidoScript), path});
    if (result.exitCode != 0)
        return {QStringLiteral("mido failed: ") + QString::fromUtf8(result.err)};
    return QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestMidiWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Bytes one operation writes after the 14-byte header.
    template <typename F> QByteArray written(F operation)
    {
        MidiFile midi;
        const QString file = path("op.mid");
        if (midi.createFile(file) != 0)
            return QByteArray("open failed");
        operation(midi);
        midi.closeFile();
        return fileBytes(file).mid(14);
    }

private slots:
    void testNoteNames()
    {
        MidiFile midi;
        QCOMPARE(midi.noteNames().size(), 128);
        QCOMPARE(midi.noteNames().at(0), QString("C-1"));
        QCOMPARE(midi.noteNames().at(127), QString("G9"));
        QCOMPARE(midi.noteToMidi("C4"), 60);
        QCOMPARE(midi.noteToMidi("A4"), 69);
        QCOMPARE(midi.noteToMidi("C-1"), 0);
        QCOMPARE(midi.noteToMidi("G9"), 127);
        QCOMPARE(midi.noteToMidi("F#3"), 54);
        QCOMPARE(midi.noteToMidi("Db4"), -1);
        QCOMPARE(midi.noteToMidi("c4"), -1);
        QCOMPARE(midi.noteToMidi("A10"), -1);
        QCOMPARE(midi.noteToMidi("G#9"), -1);
    }

    void testInstrumentNames()
    {
        MidiFile midi;
        QCOMPARE(midi.instrumentNames().size(), 129);
        QCOMPARE(midi.instrumentNames().at(0), QString("None"));
        QCOMPARE(midi.instrumentNames().at(1), QString("Acoustic Grand Piano"));
        QCOMPARE(midi.instrumentNames().at(8), QString("Clavinet"));
        QCOMPARE(midi.instrumentNames().at(29), QString("Electric Guitar (mute)"));
        QCOMPARE(midi.instrumentNames().at(32), QString("Guitar Harmonics"));
        QCOMPARE(midi.instrumentNames().at(41), QString("Violin"));
        QCOMPARE(midi.instrumentNames().at(57), QString("Trumpet"));
        QCOMPARE(midi.instrumentNames().at(88), QString("Lead 8 (bass+lead)"));
        QCOMPARE(midi.instrumentNames().at(128), QString("Gunshot"));
    }

    void testVariableLength_data()
    {
        QTest::addColumn<uint>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0") << 0u << QByteArray::fromHex("00");
        QTest::newRow("7F") << 0x7Fu << QByteArray::fromHex("7f");
        QTest::newRow("80") << 0x80u << QByteArray::fromHex("8100");
        QTest::newRow("3FFF") << 0x3FFFu << QByteArray::fromHex("ff7f");
        QTest::newRow("4000") << 0x4000u << QByteArray::fromHex("818000");
        QTest::newRow("1FFFFF") << 0x1FFFFFu << QByteArray::fromHex("ffff7f");
        QTest::newRow("200000") << 0x200000u << QByteArray::fromHex("81808000");
        QTest::newRow("2^28-1") << 0x0FFFFFFFu << QByteArray::fromHex("ffffff7f");
        QTest::newRow("2^28") << 0x10000000u << QByteArray();
    }

    void testVariableLength()
    {
        QFETCH(uint, value);
        QFETCH(QByteArray, bytes);
        MidiFile midi;
        char buffer[4] = {0x55, 0x55, 0x55, 0x55};
        const int length = midi.deltaTimeToArray(value, buffer);
        QCOMPARE(length, bytes.size());
        QCOMPARE(QByteArray(buffer, length), bytes);
        if (length < 4)
            QCOMPARE(buffer[length], char(0x55));
    }

    void testEvents()
    {
        QCOMPARE(written([](MidiFile& m) { m.setTimeSignature(3, 4); }).toHex(), QByteArray("00ff580403021808"));
        QCOMPARE(written([](MidiFile& m) { m.setTimeSignature(6, 8); }).toHex(), QByteArray("00ff580406031808"));
        QCOMPARE(written([](MidiFile& m) { m.setTimeSignature(5, 7); }).toHex(), QByteArray("00ff580405021808"));
        QCOMPARE(written([](MidiFile& m) { m.setTempo(120); }).toHex(), QByteArray("00ff510307a120"));
        QCOMPARE(written([](MidiFile& m) { m.setTempo(60); }).toHex(), QByteArray("00ff51030f4240"));
        QCOMPARE(written([](MidiFile& m) { m.setTempo(1); }).toHex(), QByteArray("00ff5103ffffff"));
        QCOMPARE(written([](MidiFile& m) { QCOMPARE(m.setTempo(0), 1); }).toHex(), QByteArray());
        QCOMPARE(written([](MidiFile& m) { m.makeProgramChange(17, 200); }).toHex(), QByteArray("00c148"));
        QCOMPARE(written([](MidiFile& m) { m.midiEvent(0x80, 0x90, 60, 100); }).toHex(), QByteArray("8100903c64"));
        unsigned char text[] = {'a', 'b'};
        QCOMPARE(written([&](MidiFile& m) { m.metaEvent(3, 2, text); }).toHex(), QByteArray("00ff03026162"));
    }

    void testNoFileOpen()
    {
        MidiFile midi;
        QCOMPARE(midi.midiEvent(0, 0x90, 60, 100), 1);
        QCOMPARE(midi.beginTrack(), 1);
        QCOMPARE(midi.setTempo(120), 1);
        QCOMPARE(midi.closeFile(), 0);
        QCOMPARE(midi.createFile(path("missing/dir/x.mid")), 1);
        QVERIFY(!QFile::exists(path("missing/dir/x.mid")));
    }

    void testByteOrder()
    {
        MidiFile midi;
        QCOMPARE(midi.changeByteOrder(0x12345678L), 0x78563412L);
        QCOMPARE(midi.changeByteOrder(0x80L), 0x80000000L);
        QVERIFY(midi.changeByteOrder(0xFFL) > 0);
    }

    void testChordBytes()
    {
        MidiFile midi;
        const QString file = path("chord.mid");
        midi.saveChord({"C4", "E4", "G4"}, file, MidiFile::AcousticGrandPiano);
        const QByteArray bytes = fileBytes(file);
        QCOMPARE(bytes.left(14).toHex(), QByteArray("4d546864000000060001000200"
                                                    "60"));
        QCOMPARE(bytes.mid(14, 27).toHex(), QByteArray("4d54726b00000013"
                                                       "00ff580404021808"
                                                       "00ff510307a120"
                                                       "00ff2f00"));
        const QByteArray name("Acoustic Grand Piano");
        QByteArray track2 = QByteArray::fromHex("00ff0414") + name +
                            QByteArray::fromHex("00c000"
                                                "00903c50"
                                                "00904050"
                                                "00904350"
                                                "8300803c00"
                                                "00804000"
                                                "00804300"
                                                "00ff2f00");
        QCOMPARE(bytes.mid(41, 8).toHex(),
                 (QByteArray("MTrk").toHex() + QByteArray::number(track2.size(), 16).rightJustified(8, '0')));
        QCOMPARE(bytes.mid(49).toHex(), track2.toHex());
    }

    void testChordMido_data()
    {
        QTest::addColumn<QStringList>("notes");
        QTest::addColumn<int>("instrument");
        QTest::addColumn<QStringList>("track2");
        QTest::newRow("triad") << QStringList{"C4", "E4", "G4"} << 1
                               << QStringList{"instrument_name name=Acoustic Grand Piano time=0",
                                              "program_change channel=0 program=0 time=0",
                                              "note_on channel=0 note=60 time=0 velocity=80",
                                              "note_on channel=0 note=64 time=0 velocity=80",
                                              "note_on channel=0 note=67 time=0 velocity=80",
                                              "note_off channel=0 note=60 time=384 velocity=0",
                                              "note_off channel=0 note=64 time=0 velocity=0",
                                              "note_off channel=0 note=67 time=0 velocity=0",
                                              "end_of_track time=0"};
        QTest::newRow("skips unknown") << QStringList{"", "Db4", "A4", "c4"} << 128
                                       << QStringList{"instrument_name name=Gunshot time=0",
                                                      "program_change channel=0 program=127 time=0",
                                                      "note_on channel=0 note=69 time=0 velocity=80",
                                                      "note_off channel=0 note=69 time=384 velocity=0",
                                                      "end_of_track time=0"};
        QTest::newRow("no instrument") << QStringList{"C4"} << 0
                                       << QStringList{"instrument_name name=None time=0",
                                                      "note_on channel=0 note=60 time=0 velocity=80",
                                                      "note_off channel=0 note=60 time=384 velocity=0",
                                                      "end_of_track time=0"};
        QTest::newRow("empty") << QStringList{} << 41
                               << QStringList{"instrument_name name=Violin time=0",
                                              "program_change channel=0 program=40 time=0", "end_of_track time=0"};
    }

    void testChordMido()
    {
        QFETCH(QStringList, notes);
        QFETCH(int, instrument);
        QFETCH(QStringList, track2);
        MidiFile midi;
        const QString file = path("mido.mid");
        midi.saveChord(notes, file, MidiFile::GmInstrumentIndex(instrument));
        const QStringList expected = QStringList{"type 1 tracks 2 tpb 96",
                                                 "--",
                                                 "time_signature clocks_per_click=24 denominator=4 "
                                                 "notated_32nd_notes_per_beat=8 numerator=4 time=0",
                                                 "set_tempo tempo=500000 time=0",
                                                 "end_of_track time=0",
                                                 "--"} +
                                     track2;
        QCOMPARE(midoDump(file), expected);
    }

    void testTestFile()
    {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        MidiFile midi;
        midi.test();
        QDir::setCurrent(previous);
        const QByteArray bytes = fileBytes(path("testMelodie.mid"));
        QCOMPARE(bytes.size(), 14 + 27 + 12);
        QCOMPARE(bytes.mid(41).toHex(), QByteArray("4d54726b00000004"
                                                   "00ff2f00"));
        const QStringList dump = midoDump(path("testMelodie.mid"));
        QCOMPARE(dump.value(0), QString("type 1 tracks 2 tpb 96"));
        QCOMPARE(dump.size(), 7);
        QCOMPARE(dump.value(6), QString("end_of_track time=0"));
    }
};

TRELVANIC_TEST_MAIN(TestMidiWriter)
#include "tst_midiwriter.moc"
