#pragma once

#include <string>
#include <string_view>

#include "core/inifile.h"

namespace varnok {

// The settings of a lie folder. The window's controls mirror these values: a
// change of a control writes through at once, and commands read them here.
struct Options {
    int height = 400;
    int width = 415;
    int top = 10;
    int left = 10;
    std::string fontName = "Arial";
    int fontSize = 8;
    std::string weak = "05";     // MIN
    std::string strong = "20";   // MAX
    std::string variance = "10"; // VARIANCE
    std::string editor;          // ProgramName; empty means the platform default
    bool useInternalEditor = true;
    bool randomize = true;
    bool sentenceParse = true;
    int maxSentences = 3; // TrackBar4, "SentencesPerParagraph"
    int minSentences = 3; // TrackBar3, "MinSentencesPerParagraph"
    bool allowRenames = false;
};

inline constexpr char kSettingsFileName[] = "Varnok.Ini";
inline constexpr int kSentencesLowest = 1;
inline constexpr int kSentencesHighest = 11;

inline constexpr int kReactionLowest = 1;
inline constexpr int kReactionHighest = 25;
inline constexpr char kInvalidLimitMessage[] = "Invalid input value.  Use escape key to abandon changes";
inline constexpr char kLimitRangeMessage[] = "Reaction limits run from 01 to 25.  Use escape key to abandon changes";
inline constexpr char kLimitOrderMessage[] =
    "The weak limit must be below the strong limit.  Use escape key to abandon changes";
inline constexpr char kSentenceOrderMessage[] = "The minimum sentences per paragraph cannot be more than the maximum.";

// Why the reaction limits as typed cannot be used, or empty when they can: a
// limit outside 1 to 25, or a weak limit not below the strong one, would make
// the review ask for every essay or for none.
std::string limitsProblem(std::string_view weak, std::string_view strong, std::string_view variance);

// Why these sentence counts cannot be used, or empty when they can.
std::string sentencesProblem(int fewest, int most);

// Used when the weak or strong limit is not a whole number.
inline constexpr int kDefaultWeakLimit = 5;
inline constexpr int kDefaultStrongLimit = 25;

// The weak and strong limits as the review and the chart use them.
struct ReactionLimits {
    int weak;
    int strong;
};
ReactionLimits reactionLimits(const Options &options);

// Reads every key in table order; missing or unparsable values give defaults.
Options readOptions(const IniFile &ini, const std::string &defaultEditor);

// Writes every key in table order, changed or not.
void writeOptions(IniFile &ini, const Options &options);

// Writes, in table order, only the keys whose values differ between the
// options as read and as they are now: a lie folder shared between machines
// keeps what another machine wrote to the other keys meanwhile.
void writeChangedOptions(IniFile &ini, const Options &read, const Options &now);

// The section that keeps the window's place for one screen size
// ("Window 1920x1080"), so that a folder shared by machines with different
// screens opens each one's window where it was left on that screen.
std::string windowPlaceSection(int screenWidth, int screenHeight);
void readWindowPlace(const IniFile &ini, std::string_view section, Options &options);
void writeWindowPlace(IniFile &ini, std::string_view section, const Options &options);
bool samePlace(const Options &a, const Options &b);

} // namespace varnok
