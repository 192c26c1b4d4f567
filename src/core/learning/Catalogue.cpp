#include "core/learning/Catalogue.h"

namespace zovax {

namespace {
constexpr const char* kFormatNames[kFormatCount] = {
    "SONY12",  "SONY15",    "SONY20",     "KASEIKYO",  "MATU22",    "MATU24",    "MITU16",     "JVC-H16",   "JVC-M16",
    "SHARP",   "NEC-32R",   "HITACHI",    "TOSHIBA",   "SANYO",     "PIONEER",   "NEC-32A",    "KORVEN",    "KENWOOD",
    "FUJITSU", "TSB32",     "MITU10",     "krv-ID",    "POLYCOM",   "TSB32R",    "FUJI48",     "TASCAM",    "EPSON",
    "NEC-42R", "NEC-42A",   "DAIKIN",     "MITUPRJ",   "TSB12",     "JVC72",     "NECPRJ",     "MARANTZ",   "B-KARA",
    "U-KARA",  "DENON",     "ROBO-K1",    "KANON-ALL", "KANON-Rep", "SAMSUNG-A", "SAMSUNG-R",  "SAMSUNG-D", "NEC-40R",
    "NEC-40A", "NEC-48R",   "NEC-48A",    "BENEX144",  "SHARP12",   "DAEWOO16",  "CV-6000",    "MSW7430",   "SVCT-1",
    "NEC-80A", "MITANI-ID", "TATSUNO-ID", "NEC-64R",   "NEC-64A",   "TOPPAN-ID", "Kitac5-D64", "Unknown",
};
} // namespace

const char* formatNameLatin1(int format)
{
    return format >= 0 && format < kFormatCount ? kFormatNames[format] : "";
}

QString FormatName(int format)
{
    return QString::fromLatin1(formatNameLatin1(format));
}

int refineNecFormat(uint16_t customCode, int format)
{
    for (const NecRefinement& r : kNecRefinements) {
        if (r.customCode != customCode)
            continue;
        if (r.onlyForFormat >= 0 && r.onlyForFormat != format)
            return format;
        return format == kFmtNec32R ? r.forNec32R : r.forOthers;
    }
    return format;
}

} // namespace zovax
