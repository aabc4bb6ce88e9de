#pragma once

#include <locale.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnok {

// Orders names as people read them: letters without regard to case, accented
// letters beside their plain ones ("Ärger" next to "Apfel"). With a language
// locale set (LC_ALL, LC_COLLATE or LANG) its collation decides, so letters
// such as the Swedish "Ä" go where that language puts them; the "C" and
// POSIX locales, which order by bytes, get the program's own order of
// letters instead. Ties fall back to the bytes, so the order is total.
class NameCollator {
public:
    // The collation named, or the program's own when it is empty, "C",
    // "POSIX", a "C." variant or cannot be loaded.
    explicit NameCollator(const std::string &localeName);
    ~NameCollator();
    NameCollator(const NameCollator &) = delete;
    NameCollator &operator=(const NameCollator &) = delete;

    // The collation of the user's environment, made once.
    static const NameCollator &user();

    bool usesLocale() const { return locale_ != nullptr; }
    int compare(std::string_view a, std::string_view b) const;
    void sort(std::vector<std::string> &names) const;

    // The order spelled out: the locale's own key, the letters, the accents
    // and case, then the bytes, compared in turn.
    struct Key {
        std::wstring locale; // the locale's own key, empty without one
        std::u32string letters;
        std::u32string accents;
        std::string bytes;
        auto operator<=>(const Key &) const = default;
    };
    Key key(std::string_view name) const;

    // The same order packed into one string compared as bytes (memcmp), for
    // sorting many names and keeping their keys between listings.
    std::string sortKey(std::string_view name) const;

private:
    std::wstring localeKey(const std::u32string &text) const;

    locale_t locale_ = nullptr;
};

// The name of the collation locale the environment asks for.
std::string environmentCollation();

} // namespace varnok
