// Fuzzes the text formats of the records module: INI editing and the
// database lines.  Besides crashes it checks two properties: keys written
// into any INI text read back, and formatted database lines split and parse
// back to the same values.
#include "records/cx_database.h"
#include "records/cx_inifile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // INI: whatever the text, the keys set can be read back.
    (void)IniReadValue(bytes, "infos", "Tags");
    const QByteArray edited =
        IniWriteValues(bytes, "infos", {{"Release", "1999"}, {"Tags", "a; \"b\""}, {"Rip", "x"}});
    Check(IniReadValue(edited, "infos", "Release") == QByteArray("1999"));
    Check(IniReadValue(edited, "infos", "Tags") == QByteArray("a; \"b\""));
    Check(IniReadValue(edited, "infos", "Rip") == QByteArray("x"));

    // Database text: any text splits and parses (or raises the database error).
    const QString text = QString::fromUtf8(bytes);
    const QStringList lines = SplitDatabaseText(text);
    for (int i = 0; i < lines.size() && i < 64; ++i) {
        try {
            (void)ParseDatabaseLine(lines[i], i);
        } catch (const EDatabaseError&) {
        }
    }

    // Formatted lines come back unchanged, whatever the values hold.
    const qsizetype cut = text.size() / 2;
    const QString a = text.left(cut), b = text.mid(cut);
    const QString line = FormatDatabaseLine(a, b, a + b, 7, 0, b);
    const QStringList back = SplitDatabaseText(line + "\r\n" + line + "\r\n");
    Check(back.size() == 2 && back[0] == line && back[1] == line);
    const TRecordStruct r = ParseDatabaseLine(line, 0);
    Check(r.Artist == a && r.RecordName == b && r.Tags == a + b && r.Year == 7 && r.Path == b);
    return 0;
}
