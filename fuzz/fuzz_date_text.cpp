// Date text as users type it and as information files hold it: parsing
// never crashes, and what parses is written and read back to the same value.
#include "framework/qv_tools.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kFormats[] = {"dd/MM/yyyy", "M/d/yyyy",    "yyyy-MM-dd", "d.M.yyyy",
                                           "d MMM yyyy", "MMM d, yyyy", "d MMMM yyyy"};
    // Locales whose own formats are used: month names, AM/PM, other orders.
    static const char* const kLocales[] = {"C", "en_US", "de_DE", "fr_FR"};
    constexpr size_t kFormatCount = sizeof kFormats / sizeof kFormats[0];
    constexpr size_t kLocaleCount = sizeof kLocales / sizeof kLocales[0];
    if (size < 1)
        return 0;
    const size_t choice = data[0] % (kFormatCount + kLocaleCount);
    if (choice < kFormatCount) {
        SetDateLocale({});
        SetShortDateFormat(QString::fromLatin1(kFormats[choice]));
        SetLongTimeFormat(QStringLiteral("HH:mm:ss"));
    } else {
        SetDateLocale(QString::fromLatin1(kLocales[choice - kFormatCount]));
        SetShortDateFormat({});
        SetLongTimeFormat({});
    }
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    TDateTime value = 0;
    if (TryStrToDateTime(text, value) && value > 0) {
        TDateTime again = 0;
        if (!TryStrToDateTime(DateTimeToStr(value), again) || std::abs(again - value) > 1e-6)
            std::abort();
    }
    TryStrToDate(text, value);
    return 0;
}
