// Where each device type shows its parameter letters: one system layout (letter -> row) and one program
// layout (letter -> column) per type, with the string id of each name.
#include "data/catalogue.h"

#include <array>

namespace kdm {
namespace {

// Types 1 to 13 pass over only the identification letter; the later types also drop the framing and
// line-end bytes a shifted record would put where the letter belongs.
constexpr std::string_view kPassOverShort = "g";
constexpr std::string_view kPassOverFull = "g\x02\x03\n\r";

constexpr LayoutEntry kSystem1[] = {
    {'d', 1, 106},   // "Mode"
    {'e', 2, 107},   // "operating"
    {'v', 3, 109},   // "Dimension"
    {'h', 4, 108},   // "Language"
    {'k', 5, 110},   // "OutLogic"
    {'i', 6, 111},   // "Password"
    {'n', 7, 112},   // "Measuring time"
    {'m', 8, 113},   // "External calibration"
    {'j', 9, 114},   // "Switchbox"
    {'y', 10, 115},  // "Baudrate"
    {'q', 11, 116},  // "2-sheet hold"
    {'p', 12, 117},  // "Display time"
    {'K', 13, 130},  // "Magnetic cord"
};
constexpr LayoutEntry kSystem2[] = {
    {'h', 1, 120},   // "Language"
    {'v', 2, 121},   // "Dimension"
    {'@', 3, 162},   // "Bus dimension"
    {'p', 4, 299},   // "Display delay"
    {'1', 5, 163},   // "Bus: adress+baudrate"
    {'2', 6, 164},   // "Baudrate"
    {'i', 7, 123},   // "Password"
    {'j', 8, 126},   // "Switchbox"
    {'n', 9, 124},   // "Measuring time"
    {'9', 10, 166},  // "Magnetic cord"
    {'d', 11, 118},  // "Mode"
    {'q', 12, 102},  // "Hold 2-sheet"
    {'x', 13, 167},  // "External start signal"
    {'k', 14, 122},  // "OutLogic"
    {'m', 15, 125},  // "External calibration"
};
constexpr LayoutEntry kSystem3[] = {
    {'d', 1, 127},    // "Mode"
    {'v', 2, 187},    // "Dimension"
    {'h', 3, 185},    // "Language"
    {'k', 4, 195},    // "OutLogic"
    {'i', 5, 203},    // "Password"
    {'n', 6, 58112},  // "Measuring time"
    {'m', 7, 205},    // "External calibration"
    {'j', 8, 211},    // "Switchbox"
    {'y', 9, 212},    // "Baudrate"
    {'q', 10, 213},   // "2-sheet hold"
    {'p', 11, 214},   // "Display time"
    {'K', 12, 241},   // "Magnetic cord"
    {'1', 13, 230},   // "Sensortyp 1"
    {'2', 14, 231},   // "Sensortyp 2"
    {'3', 15, 232},   // "Sensortyp 3"
    {'4', 16, 233},   // "Sensortyp 4"
};
constexpr LayoutEntry kSystem4[] = {
    {'h', 1, 206},   // "Language"
    {'v', 2, 207},   // "Dimension"
    {'@', 3, 192},   // "Bus dimension"
    {'p', 4, 242},   // "Display time"
    {'1', 5, 193},   // "Bus: adress+baudrate"
    {'2', 6, 359},   // "Baudrate"
    {'i', 7, 221},   // "Password"
    {'j', 8, 236},   // "Switchbox"
    {'n', 9, 234},   // "Measuring time"
    {'9', 10, 243},  // "Magnetic cord"
    {'d', 11, 253},  // "Mode"
    {'q', 12, 245},  // "Hold 2-sheet"
    {'x', 13, 246},  // "External start"
    {'k', 14, 216},  // "OutLogic"
    {'m', 15, 235},  // "External calibration"
    {'3', 16, 237},  // "Sensortyp 1"
    {'4', 17, 238},  // "Sensortyp 2"
    {'5', 18, 239},  // "Sensortyp 3"
    {'6', 19, 240},  // "Sensortyp 4"
};
constexpr LayoutEntry kSystem5[] = {
    {'h', 1, 204},    // "Language"
    {'i', 2, 210},    // "Password"
    {'n', 3, 58113},  // "Measuring time"
    {'m', 4, 215},    // "External calibration"
    {'y', 5, 217},    // "Baudrate"
    {'q', 6, 218},    // "Hold >/<"
    {'p', 7, 219},    // "Display time"
    {'5', 8, 247},    // "Hardwarelock"
    {'6', 9, 362},    // "TeachIn ART"
    {'7', 10, 363},   // "Compensation"
};
constexpr LayoutEntry kSystem10[] = {
    {'d', 1, 254},   // "Mode"
    {'v', 2, 255},   // "Dimension"
    {'h', 3, 256},   // "Language"
    {'k', 4, 258},   // "OutLogic"
    {'i', 5, 259},   // "Password"
    {'l', 6, 260},   // "Sensortyp"
    {'m', 7, 261},   // "External calibration"
    {'j', 8, 262},   // "No. Sensors"
    {'x', 9, 263},   // "Sensor select"
    {'y', 10, 264},  // "Baudrate"
    {'7', 11, 265},  // "Mode"
};
constexpr LayoutEntry kSystem11[] = {
    {'h', 1, 256},   // "Language"
    {'v', 2, 255},   // "Dimension"
    {'@', 3, 266},   // "dimension Bus"
    {'1', 4, 267},   // "Bus adress"
    {'i', 5, 259},   // "Password"
    {'l', 6, 260},   // "Sensortyp"
    {'2', 7, 361},   // "Baudrate"
    {'j', 8, 262},   // "No. Sensors"
    {'n', 9, 268},   // "Sensor select"
    {'d', 10, 254},  // "Mode"
    {'q', 11, 269},  // "Hold 2-sheet"
    {'x', 12, 270},  // "External Start"
    {'k', 13, 258},  // "OutLogic"
    {'m', 14, 261},  // "External calibration"
};
constexpr LayoutEntry kSystem12[] = {
    {'d', 1, 257},   // "Mode"
    {'e', 2, 281},   // "Edit"
    {'v', 3, 271},   // "Dimension"
    {'h', 4, 272},   // "Language"
    {'k', 5, 273},   // "OutLogic"
    {'i', 6, 274},   // "Password"
    {'l', 7, 275},   // "Sensortyp"
    {'m', 8, 276},   // "External calibration"
    {'j', 9, 277},   // "No. Sensors"
    {'x', 10, 278},  // "Sensor select"
    {'y', 11, 279},  // "Baudrate"
    {'z', 12, 280},  // "Offset"
};
constexpr LayoutEntry kSystem13[] = {
    {'h', 1, 272},   // "Language"
    {'v', 2, 271},   // "Dimension"
    {'@', 3, 282},   // "Bus dimension"
    {'1', 4, 283},   // "Bus adress"
    {'2', 5, 360},   // "Baudrate"
    {'i', 6, 274},   // "Password"
    {'l', 7, 275},   // "Sensortyp"
    {'j', 8, 277},   // "No. Sensors"
    {'n', 9, 284},   // "Sensor select"
    {'d', 10, 257},  // "Mode"
    {'q', 11, 285},  // "Hold 2-sheet"
    {'x', 12, 286},  // "External Start"
    {'k', 13, 273},  // "OutLogic"
    {'m', 14, 276},  // "External calibration"
};
constexpr LayoutEntry kSystem20[] = {
    {'d', 1, 311},   // "operating mode"
    {'v', 2, 302},   // "Dimension"
    {'h', 3, 303},   // "Language"
    {'k', 4, 304},   // "OutLogic"
    {'i', 5, 305},   // "Password"
    {'l', 6, 306},   // "Sensortyp"
    {'m', 7, 307},   // "External calibration"
    {'j', 8, 334},   // "Switchbox"
    {'7', 9, 309},   // "Mode"
    {'x', 10, 310},  // "Teach limit"
};
constexpr LayoutEntry kSystem21[] = {
    {'h', 1, 303},   // "Language"
    {'v', 2, 302},   // "Dimension"
    {'@', 3, 312},   // "Bus dimension"
    {'p', 4, 165},   // " "
    {'1', 5, 313},   // "Bus adress"
    {'2', 6, 358},   // "Baudrate"
    {'i', 7, 305},   // "Password"
    {'l', 8, 306},   // "Sensortyp"
    {'j', 9, 333},   // "Switchbox"
    {'n', 10, 165},  // " "
    {'9', 11, 165},  // " "
    {'d', 12, 311},  // "operating mode"
    {'q', 13, 165},  // " "
    {'x', 14, 318},  // "External Start"
    {'k', 15, 304},  // "OutLogic"
    {'m', 16, 307},  // "External calibration"
    {'3', 17, 319},  // "Teach limit"
    {'4', 18, 165},  // " "
    {'5', 19, 165},  // " "
    {'6', 20, 165},  // " "
    {'7', 21, 316},  // "Measure"
};
constexpr LayoutEntry kSystem22[] = {
    {'d', 1, 311},     // "operating mode"
    {'e', 2, 320},     // "Keyboard/extern"
    {'v', 3, 302},     // "Dimension"
    {'h', 4, 303},     // "Language"
    {'k', 5, 304},     // "OutLogic"
    {'i', 6, 305},     // "Password"
    {'l', 7, 306},     // "Sensortyp"
    {'m', 8, 307},     // "External calibration"
    {'j', 9, 308},     // "No. Sensors"
    {'y', 10, 321},    // "Baudrate"
    {'z', 11, 58116},  // "Offset"
};
constexpr LayoutEntry kSystem23[] = {
    {'h', 1, 303},   // "Language"
    {'v', 2, 302},   // "Dimension"
    {'@', 3, 312},   // "Bus dimension"
    {'1', 4, 313},   // "Bus adress"
    {'2', 5, 358},   // "Baudrate"
    {'i', 6, 305},   // "Password"
    {'j', 7, 317},   // "No. Sensors"
    {'d', 8, 311},   // "operating mode"
    {'q', 9, 335},   // "Hold 2-sheet"
    {'x', 10, 336},  // " "
    {'k', 11, 304},  // "OutLogic"
    {'m', 12, 307},  // "External calibration"
};
constexpr LayoutEntry kProgram1[] = {
    {'P', 0, 131},   // "Program no."
    {'J', 1, 132},   // "Sensor no."
    {'N', 2, 133},   // "Nominal"
    {'u', 3, 134},   // "Lower limit "
    {'o', 4, 135},   // "Upper limit "
    {'V', 5, 136},   // "Gain 1"
    {'W', 6, 137},   // "Gain 2"
    {'E', 7, 138},   // "1-sheet value"
    {'G', 8, 139},   // "2-sheet Value"
    {'X', 9, 140},   // "0-sheet Value"
    {'R', 10, 141},  // "AB 1"
    {'Y', 11, 142},  // "AB 2"
    {'r', 12, 143},  // "AB"
    {'t', 13, 144},  // "TI ok"
    {'C', 14, 145},  // "Magnetic compensation"
};
constexpr LayoutEntry kProgram2[] = {
    {'P', 0, 147},   // "Program no."
    {'J', 1, 148},   // "Sensor no."
    {'N', 2, 149},   // "Nominal"
    {'u', 3, 150},   // "Lower limit "
    {'o', 4, 151},   // "Upper limit "
    {'V', 5, 152},   // "Gain 1"
    {'W', 6, 153},   // "Gain 2"
    {'E', 7, 154},   // "1-sheet value"
    {'G', 8, 155},   // "2-sheet Value"
    {'X', 9, 156},   // "0-sheet Value"
    {'R', 10, 157},  // "AB 1"
    {'Y', 11, 158},  // "AB 2"
    {'r', 12, 159},  // "AB"
    {'t', 13, 160},  // "TI ok"
    {'C', 14, 161},  // "Magnetic compensation"
};
constexpr LayoutEntry kProgram3[] = {
    {'P', 0, 168},   // "Program no."
    {'J', 1, 169},   // "Sensor no."
    {'L', 2, 248},   // "Material"
    {'N', 3, 170},   // "Nominal"
    {'u', 4, 171},   // "Lower limit "
    {'o', 5, 172},   // "Upper limit "
    {'V', 6, 198},   // "Gain 1"
    {'W', 7, 199},   // "Gain 2"
    {'X', 8, 202},   // "0-Offset"
    {'Q', 9, 252},   // "Teach factor"
    {'t', 10, 208},  // "TI ok"
    {'C', 11, 209},  // "Magnetic compensation"
};
constexpr LayoutEntry kProgram4[] = {
    {'P', 0, 177},   // "Program no."
    {'J', 1, 178},   // "Sensor no."
    {'L', 2, 250},   // "Material"
    {'N', 3, 179},   // "Nominal"
    {'u', 4, 180},   // "Lower limit "
    {'o', 5, 181},   // "Upper limit "
    {'V', 6, 182},   // "Gain 1"
    {'W', 7, 183},   // "Gain 2"
    {'X', 8, 186},   // "0-offset"
    {'Q', 9, 251},   // "Teach factor"
    {'t', 10, 190},  // "TI ok"
    {'C', 11, 191},  // "Magnetic compensation"
};
constexpr LayoutEntry kProgram5[] = {
    {'P', 0, 168},  // "Program no."
    {'N', 1, 170},  // "Nominal"
    {'u', 2, 171},  // "Lower limit "
    {'o', 3, 172},  // "Upper limit "
    {'V', 4, 198},  // "Gain 1"
    {'W', 5, 199},  // "Gain 2"
    {'X', 6, 202},  // "0-Offset"
    {'Q', 7, 252},  // "Teach factor"
    {'t', 8, 208},  // "TI ok"
};
constexpr LayoutEntry kProgram10[] = {
    {'P', 0, 287},  // "Program No."
    {'J', 1, 288},  // " Sensor No."
    {'N', 2, 289},  // "Nominal"
    {'u', 3, 290},  // "Lower Limit "
    {'o', 4, 291},  // "Upper Limit "
    {'t', 5, 337},  // "Teach factor S1"
    {'Q', 6, 293},  // "Teach factor2"
    {'G', 7, 294},  // "Teach factor 3"
    {'E', 8, 295},  // "Teach factor 4"
};
constexpr LayoutEntry kProgram11[] = {
    {'P', 0, 287},  // "Program No."
    {'J', 1, 288},  // " Sensor No."
    {'N', 2, 289},  // "Nominal"
    {'u', 3, 290},  // "Lower Limit "
    {'o', 4, 291},  // "Upper Limit "
    {'t', 5, 337},  // "Teach factor S1"
    {'E', 6, 298},  // "Teach factor 2"
    {'G', 7, 297},  // "Teach factor 3"
    {'Q', 8, 296},  // "Teach factor 4"
};
constexpr LayoutEntry kProgram12[] = {
    {'P', 0, 287},  // "Program No."
    {'J', 1, 288},  // " Sensor No."
    {'N', 2, 289},  // "Nominal"
    {'U', 3, 299},  // "Display delay"
    {'O', 4, 300},  // "Upper Limit"
    {'u', 5, 290},  // "Lower Limit "
    {'o', 6, 291},  // "Upper Limit "
    {'t', 7, 301},  // "Teach factor"
};
constexpr LayoutEntry kProgram13[] = {
    {'P', 0, 287},  // "Program No."
    {'J', 1, 288},  // " Sensor No."
    {'N', 2, 289},  // "Nominal"
    {'u', 3, 290},  // "Lower Limit "
    {'o', 4, 291},  // "Upper Limit "
    {'t', 5, 301},  // "Teach factor"
};
constexpr LayoutEntry kProgram20[] = {
    {'P', 0, 324},    // "Programm No."
    {'J', 1, 325},    // "Sensor No."
    {'L', 2, 327},    // "EC"
    {'K', 3, 328},    // "Material"
    {'N', 4, 329},    // "Nominal"
    {'U', 5, 330},    // "Lower Limit"
    {'O', 6, 331},    // "Upper Limit"
    {'u', 7, 58114},  // "Lower limit "
    {'o', 8, 58115},  // "Upper limit "
    {'t', 9, 332},    // "Teach factor 1"
    {'E', 10, 326},   // "Teach factor 2"
    {'G', 11, 314},   // "Teach Para"
};
constexpr LayoutEntry kProgram21[] = {
    {'P', 0, 324},    // "Programm No."
    {'J', 1, 325},    // "Sensor No."
    {'L', 2, 327},    // "EC"
    {'K', 3, 328},    // "Material"
    {'N', 4, 329},    // "Nominal"
    {'u', 5, 58114},  // "Lower limit "
    {'o', 6, 58115},  // "Upper limit "
    {'t', 7, 332},    // "Teach factor 1"
    {'E', 8, 326},    // "Teach factor 2"
    {'G', 9, 314},    // "Teach Para"
};
constexpr LayoutEntry kProgram22[] = {
    {'P', 0, 324},    // "Programm No."
    {'J', 1, 325},    // "Sensor No."
    {'L', 2, 327},    // "EC"
    {'K', 3, 328},    // "Material"
    {'N', 4, 329},    // "Nominal"
    {'U', 5, 330},    // "Lower Limit"
    {'O', 6, 331},    // "Upper Limit"
    {'u', 7, 58114},  // "Lower limit "
    {'o', 8, 58115},  // "Upper limit "
    {'t', 9, 332},    // "Teach factor 1"
};
constexpr LayoutEntry kProgram23[] = {
    {'P', 0, 324},    // "Programm No."
    {'J', 1, 325},    // "Sensor No."
    {'L', 2, 327},    // "EC"
    {'K', 3, 328},    // "Material"
    {'N', 4, 329},    // "Nominal"
    {'u', 5, 58114},  // "Lower limit "
    {'o', 6, 58115},  // "Upper limit "
    {'t', 7, 332},    // "Teach factor 1"
};

struct TypeLayouts {
    int type;
    Layout system;
    Layout program;
};

const std::array<TypeLayouts, 13> kLayouts = {{
    {1, {kSystem1, 14, kPassOverShort}, {kProgram1, 15, kPassOverFull}},
    {2, {kSystem2, 16, kPassOverShort}, {kProgram2, 15, kPassOverFull}},
    {3, {kSystem3, 17, kPassOverShort}, {kProgram3, 12, kPassOverFull}},
    {4, {kSystem4, 20, kPassOverShort}, {kProgram4, 12, kPassOverFull}},
    {5, {kSystem5, 11, kPassOverShort}, {kProgram5, 9, kPassOverFull}},
    {10, {kSystem10, 12, kPassOverShort}, {kProgram10, 9, kPassOverFull}},
    {11, {kSystem11, 15, kPassOverShort}, {kProgram11, 9, kPassOverFull}},
    {12, {kSystem12, 13, kPassOverShort}, {kProgram12, 8, kPassOverFull}},
    {13, {kSystem13, 15, kPassOverShort}, {kProgram13, 6, kPassOverFull}},
    {20, {kSystem20, 11, kPassOverFull}, {kProgram20, 12, kPassOverFull}},
    {21, {kSystem21, 22, kPassOverFull}, {kProgram21, 10, kPassOverFull}},
    {22, {kSystem22, 12, kPassOverFull}, {kProgram22, 10, kPassOverFull}},
    {23, {kSystem23, 13, kPassOverFull}, {kProgram23, 8, kPassOverFull}},
}};

constexpr std::array<int, 13> kTypes = {1, 2, 3, 4, 5, 10, 11, 12, 13, 20, 21, 22, 23};

const TypeLayouts* FindType(int type) {
    for (const TypeLayouts& layouts : kLayouts) {
        if (layouts.type == type) return &layouts;
    }
    return nullptr;
}

}  // namespace

const LayoutEntry* Layout::Find(char letter) const {
    for (const LayoutEntry& entry : entries) {
        if (entry.letter == letter) return &entry;
    }
    return nullptr;
}

bool Layout::PassesOver(char letter) const {
    return passedOver.find(letter) != std::string_view::npos;
}

const Layout* SystemLayout(int type) {
    const TypeLayouts* layouts = FindType(type);
    return layouts != nullptr ? &layouts->system : nullptr;
}

const Layout* ProgramLayout(int type) {
    const TypeLayouts* layouts = FindType(type);
    return layouts != nullptr ? &layouts->program : nullptr;
}

std::span<const int> KnownDeviceTypes() {
    return kTypes;
}

}  // namespace kdm
