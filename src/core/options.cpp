#include "core/options.h"

#include <algorithm>
#include <variant>

#include "core/text.h"

namespace varnok {

namespace {

constexpr char kSettings[] = "Settings";
constexpr char kLimits[] = "ReactionLimits";
constexpr char kEditor[] = "Editor";
constexpr char kGeneration[] = "EssayGeneration";
constexpr char kGeneral[] = "General";

// Every setting once, in the order the settings file has always had them.
struct Key {
    const char *section;
    const char *name;
    std::variant<int Options::*, bool Options::*, std::string Options::*> field;
    // A sentence count out of the sliders' range is clamped when read.
    bool sentenceCount = false;
};

const Key kKeys[] = {
    {kSettings, "Height", &Options::height},
    {kSettings, "Width", &Options::width},
    {kSettings, "Top", &Options::top},
    {kSettings, "Left", &Options::left},
    {kSettings, "Font Name", &Options::fontName},
    {kSettings, "Font Size", &Options::fontSize},
    {kLimits, "Weak", &Options::weak},
    {kLimits, "Strong", &Options::strong},
    {kLimits, "Variance", &Options::variance},
    {kEditor, "ProgramName", &Options::editor},
    {kEditor, "UseInternalEditor", &Options::useInternalEditor},
    {kGeneration, "Randomize", &Options::randomize},
    {kGeneration, "SentenceParse", &Options::sentenceParse},
    {kGeneration, "SentencesPerParagraph", &Options::maxSentences, true},
    {kGeneration, "MinSentencesPerParagraph", &Options::minSentences, true},
    {kGeneral, "AllowRenames", &Options::allowRenames},
};

template <typename... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
// clang 14, which builds the fuzzers, does not deduce an aggregate's
// template arguments by itself.
template <typename... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

} // namespace

std::string limitsProblem(std::string_view weak, std::string_view strong, std::string_view variance)
{
    const auto w = parseWholeNumber(weak);
    const auto s = parseWholeNumber(strong);
    const auto v = parseWholeNumber(variance);
    if (!w || !s || !v)
        return kInvalidLimitMessage;
    for (int limit : {*w, *s, *v})
        if (limit < kReactionLowest || limit > kReactionHighest)
            return kLimitRangeMessage;
    if (*w >= *s)
        return kLimitOrderMessage;
    return {};
}

std::string sentencesProblem(int fewest, int most)
{
    return fewest > most ? kSentenceOrderMessage : std::string();
}

ReactionLimits reactionLimits(const Options &options)
{
    return {parseWholeNumber(options.weak).value_or(kDefaultWeakLimit),
            parseWholeNumber(options.strong).value_or(kDefaultStrongLimit)};
}

Options readOptions(const IniFile &ini, const std::string &defaultEditor)
{
    Options o;
    o.editor = defaultEditor;
    for (const Key &key : kKeys) {
        std::visit(Overloaded{
                       [&](int Options::*field) {
                           o.*field = ini.readInteger(key.section, key.name, o.*field);
                           if (key.sentenceCount)
                               o.*field = std::clamp(o.*field, kSentencesLowest, kSentencesHighest);
                       },
                       [&](bool Options::*field) { o.*field = ini.readBool(key.section, key.name, o.*field); },
                       [&](std::string Options::*field) {
                           o.*field = ini.readString(key.section, key.name).value_or(o.*field);
                       },
                   },
                   key.field);
    }
    return o;
}

void writeOptions(IniFile &ini, const Options &o)
{
    for (const Key &key : kKeys) {
        std::visit(Overloaded{
                       [&](int Options::*field) { ini.writeInteger(key.section, key.name, o.*field); },
                       [&](bool Options::*field) { ini.writeBool(key.section, key.name, o.*field); },
                       [&](std::string Options::*field) { ini.writeString(key.section, key.name, o.*field); },
                   },
                   key.field);
    }
}

void writeChangedOptions(IniFile &ini, const Options &read, const Options &now)
{
    for (const Key &key : kKeys) {
        std::visit(Overloaded{
                       [&](int Options::*field) {
                           if (read.*field != now.*field)
                               ini.writeInteger(key.section, key.name, now.*field);
                       },
                       [&](bool Options::*field) {
                           if (read.*field != now.*field)
                               ini.writeBool(key.section, key.name, now.*field);
                       },
                       [&](std::string Options::*field) {
                           if (read.*field != now.*field)
                               ini.writeString(key.section, key.name, now.*field);
                       },
                   },
                   key.field);
    }
}

std::string windowPlaceSection(int screenWidth, int screenHeight)
{
    return "Window " + std::to_string(screenWidth) + "x" + std::to_string(screenHeight);
}

namespace {

const std::pair<const char *, int Options::*> kPlaceKeys[] = {
    {"Height", &Options::height}, {"Width", &Options::width}, {"Top", &Options::top}, {"Left", &Options::left}};

} // namespace

void readWindowPlace(const IniFile &ini, std::string_view section, Options &options)
{
    for (const auto &[name, field] : kPlaceKeys)
        options.*field = ini.readInteger(section, name, options.*field);
}

void writeWindowPlace(IniFile &ini, std::string_view section, const Options &options)
{
    for (const auto &[name, field] : kPlaceKeys)
        ini.writeInteger(section, name, options.*field);
}

bool samePlace(const Options &a, const Options &b)
{
    return a.height == b.height && a.width == b.width && a.top == b.top && a.left == b.left;
}

} // namespace varnok
