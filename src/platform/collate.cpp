#include "platform/collate.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <numeric>

#include "platform/unicode.h"

namespace varnok {

namespace {

bool isByteOrderLocale(const std::string &name)
{
    return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

} // namespace

std::string environmentCollation()
{
    for (const char *variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return {};
}

NameCollator::NameCollator(const std::string &localeName)
{
    if (!isByteOrderLocale(localeName))
        locale_ = ::newlocale(LC_COLLATE_MASK, localeName.c_str(), static_cast<locale_t>(nullptr));
}

NameCollator::~NameCollator()
{
    if (locale_)
        ::freelocale(locale_);
}

const NameCollator &NameCollator::user()
{
    static const NameCollator collator(environmentCollation());
    return collator;
}

NameCollator::Key NameCollator::key(std::string_view name) const
{
    Key key;
    key.bytes = std::string(name);
    const std::u32string text = decodeText(name);
    key.letters.reserve(text.size());
    key.accents.reserve(text.size());
    for (char32_t c : text) {
        key.letters += baseLetters(c);
        key.accents += foldCase(c);
    }
    if (locale_) {
        // wchar_t holds a whole character here; a NUL cannot occur in a name.
        std::wstring wide(text.begin(), text.end());
        const std::size_t need = ::wcsxfrm_l(nullptr, wide.c_str(), 0, locale_);
        if (need != static_cast<std::size_t>(-1)) {
            key.locale.resize(need + 1);
            ::wcsxfrm_l(key.locale.data(), wide.c_str(), need + 1, locale_);
            key.locale.resize(need);
        }
    }
    return key;
}

int NameCollator::compare(std::string_view a, std::string_view b) const
{
    const auto order = key(a) <=> key(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void NameCollator::sort(std::vector<std::string> &names) const
{
    // One key per name: a folder of 100,000 names is sorted without decoding
    // each name again at every comparison.
    std::vector<Key> keys;
    keys.reserve(names.size());
    for (const auto &name : names)
        keys.push_back(key(name));
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return keys[x] < keys[y]; });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(names[i]));
    names = std::move(sorted);
}

} // namespace varnok
