#pragma once
// The signalling vocabulary of the radio: code type rows, CTCSS tones, DCS codes, and the
// rules that turn a list row into the radio's code byte and back. A list row equals a
// table position everywhere.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qarlo {

inline constexpr int CODE_TYPE_QT = 0;
inline constexpr int CODE_TYPE_DQT = 1;
inline constexpr int CODE_TYPE_NONE = 2;

inline constexpr std::array<std::string_view, 3> CodeTypeTable{"QT", "DQT", "无"};

inline constexpr std::array<std::string_view, 38> CtcssTable{
    "67", "71.9", "74.4", "77", "79.7", "82.5", "85.4", "88.5", "91.5", "94.8",
    "97.4", "100", "103.5", "107.2", "110.9", "114.8", "118.8", "123", "127.3", "131.8",
    "136.5", "141.3", "146.2", "151.4", "156.7", "162.2", "167.9", "173.8", "179.9", "186.2",
    "192.8", "203.5", "210.7", "218.1", "225.7", "233.6", "241.8", "250.3",
};

// Rows 0..82 are the normal codes, rows 83..165 the same codes inverted; "036" has no row.
inline constexpr int DCS_NORMAL_COUNT = 83;
inline constexpr std::array<std::string_view, 166> DcsTable{
    "023N", "025N", "026N", "031N", "032N", "043N", "047N", "051N", "054N", "065N",
    "071N", "072N", "073N", "074N", "114N", "115N", "116N", "125N", "131N", "132N",
    "134N", "143N", "152N", "155N", "156N", "162N", "165N", "172N", "174N", "205N",
    "223N", "226N", "243N", "244N", "245N", "251N", "261N", "263N", "265N", "271N",
    "306N", "311N", "315N", "331N", "343N", "346N", "351N", "364N", "365N", "371N",
    "411N", "412N", "413N", "423N", "431N", "432N", "445N", "464N", "465N", "466N",
    "503N", "506N", "516N", "532N", "546N", "565N", "606N", "612N", "624N", "627N",
    "631N", "632N", "654N", "662N", "664N", "703N", "712N", "723N", "731N", "732N",
    "734N", "743N", "754N", "023I", "025I", "026I", "031I", "032I", "043I", "047I",
    "051I", "054I", "065I", "071I", "072I", "073I", "074I", "114I", "115I", "116I",
    "125I", "131I", "132I", "134I", "143I", "152I", "155I", "156I", "162I", "165I",
    "172I", "174I", "205I", "223I", "226I", "243I", "244I", "245I", "251I", "261I",
    "263I", "265I", "271I", "306I", "311I", "315I", "331I", "343I", "346I", "351I",
    "364I", "365I", "371I", "411I", "412I", "413I", "423I", "431I", "432I", "445I",
    "464I", "465I", "466I", "503I", "506I", "516I", "532I", "546I", "565I", "606I",
    "612I", "624I", "627I", "631I", "632I", "654I", "662I", "664I", "703I", "712I",
    "723I", "731I", "732I", "734I", "743I", "754I",
};

// A DCS code byte stores a position in this table; "036" sits at position 5.
inline constexpr std::array<std::string_view, 84> DcsNumberTable{
    "023", "025", "026", "031", "032", "036", "043", "047", "051", "054",
    "065", "071", "072", "073", "074", "114", "115", "116", "125", "131",
    "132", "134", "143", "152", "155", "156", "162", "165", "172", "174",
    "205", "223", "226", "243", "244", "245", "251", "261", "263", "265",
    "271", "306", "311", "315", "331", "343", "346", "351", "364", "365",
    "371", "411", "412", "413", "423", "431", "432", "445", "464", "465",
    "466", "503", "506", "516", "532", "546", "565", "606", "612", "624",
    "627", "631", "632", "654", "662", "664", "703", "712", "723", "731",
    "732", "734", "743", "754",
};

// The inversion partner of each normal row of DcsTable.
inline constexpr std::array<std::string_view, 83> DcsPartnerTable{
    "047", "244", "464", "627", "051", "445", "023", "032", "413", "271",
    "306", "245", "506", "174", "712", "152", "754", "365", "364", "546",
    "223", "412", "115", "731", "265", "503", "251", "036", "074", "263",
    "134", "411", "351", "025", "072", "165", "732", "205", "156", "065",
    "071", "664", "423", "465", "532", "612", "243", "131", "125", "734",
    "226", "143", "054", "315", "723", "516", "043", "026", "331", "662",
    "162", "073", "432", "343", "132", "703", "631", "346", "632", "031",
    "606", "624", "743", "466", "311", "565", "114", "431", "155", "261",
    "371", "654", "116",
};

std::uint8_t encodeCtcssRow(int row);
std::optional<int> decodeCtcssByte(std::uint8_t code);
std::uint8_t encodeDcsRow(int row);
std::optional<int> decodeDcsByte(std::uint8_t code);

} // namespace qarlo
