#include "core/options.h"

#include <algorithm>

#include "core/text.h"

namespace varnok {

namespace {

constexpr char kSettings[] = "Settings";
constexpr char kLimits[] = "ReactionLimits";
constexpr char kEditor[] = "Editor";
constexpr char kGeneration[] = "EssayGeneration";
constexpr char kGeneral[] = "General";

int clampSentences(int value)
{
    return std::clamp(value, kSentencesLowest, kSentencesHighest);
}

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

Options readOptions(const IniFile &ini, const std::string &defaultEditor)
{
    Options o;
    o.height = ini.readInteger(kSettings, "Height", o.height);
    o.width = ini.readInteger(kSettings, "Width", o.width);
    o.top = ini.readInteger(kSettings, "Top", o.top);
    o.left = ini.readInteger(kSettings, "Left", o.left);
    o.fontName = ini.readString(kSettings, "Font Name").value_or(o.fontName);
    o.fontSize = ini.readInteger(kSettings, "Font Size", o.fontSize);
    o.weak = ini.readString(kLimits, "Weak").value_or(o.weak);
    o.strong = ini.readString(kLimits, "Strong").value_or(o.strong);
    o.variance = ini.readString(kLimits, "Variance").value_or(o.variance);
    o.editor = ini.readString(kEditor, "ProgramName").value_or(defaultEditor);
    o.useInternalEditor = ini.readBool(kEditor, "UseInternalEditor", o.useInternalEditor);
    o.randomize = ini.readBool(kGeneration, "Randomize", o.randomize);
    o.sentenceParse = ini.readBool(kGeneration, "SentenceParse", o.sentenceParse);
    o.maxSentences = clampSentences(ini.readInteger(kGeneration, "SentencesPerParagraph", o.maxSentences));
    o.minSentences = clampSentences(ini.readInteger(kGeneration, "MinSentencesPerParagraph", o.minSentences));
    o.allowRenames = ini.readBool(kGeneral, "AllowRenames", o.allowRenames);
    return o;
}

void writeOptions(IniFile &ini, const Options &o)
{
    ini.writeInteger(kSettings, "Height", o.height);
    ini.writeInteger(kSettings, "Width", o.width);
    ini.writeInteger(kSettings, "Top", o.top);
    ini.writeInteger(kSettings, "Left", o.left);
    ini.writeString(kSettings, "Font Name", o.fontName);
    ini.writeInteger(kSettings, "Font Size", o.fontSize);
    ini.writeString(kLimits, "Weak", o.weak);
    ini.writeString(kLimits, "Strong", o.strong);
    ini.writeString(kLimits, "Variance", o.variance);
    ini.writeString(kEditor, "ProgramName", o.editor);
    ini.writeBool(kEditor, "UseInternalEditor", o.useInternalEditor);
    ini.writeBool(kGeneration, "Randomize", o.randomize);
    ini.writeBool(kGeneration, "SentenceParse", o.sentenceParse);
    ini.writeInteger(kGeneration, "SentencesPerParagraph", o.maxSentences);
    ini.writeInteger(kGeneration, "MinSentencesPerParagraph", o.minSentences);
    ini.writeBool(kGeneral, "AllowRenames", o.allowRenames);
}

} // namespace varnok
