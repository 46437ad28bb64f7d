#include "page/book_address.h"

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "runtime/codepage.h"

namespace orn::page {

namespace {

bool is_drive(std::string_view component) {
    return component.size() == 2 && std::isalpha(static_cast<unsigned char>(component[0])) &&
           component[1] == ':';
}

std::string percent_encoded(std::string_view utf8) {
    gchar* escaped = g_uri_escape_string(std::string(utf8).c_str(), "/:", FALSE);
    std::string result(escaped);
    g_free(escaped);
    return result;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string percent_decoded(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int high = i + 2 < text.size() ? hex_value(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? hex_value(text[i + 2]) : -1;
        if (text[i] == '%' && high >= 0 && low >= 0) {
            bytes.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return bytes;
}

// One component's bytes as text: UTF-8 where valid, else Windows-1251.
Text component_text(std::string_view bytes) {
    return is_valid_utf8(bytes) ? from_utf8(bytes) : decode_cp1251(bytes);
}

// The components of a URL path, each decoded: "/" separates, and so does a
// "\\" written as it is or %-escaped. Neither byte occurs inside a UTF-8 or
// Windows-1251 character.
std::vector<Text> decoded_components(std::string_view url_path) {
    std::string bytes;
    for (char c : url_path) bytes.push_back(c == '/' ? '\\' : c);
    bytes = percent_decoded(bytes);
    std::vector<Text> parts;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = std::min(bytes.find('\\', start), bytes.size());
        parts.push_back(component_text(std::string_view(bytes).substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

// "." goes, ".." takes the component before it away but never the drive
// (or the top of the tree), as Windows does.
std::vector<Text> folded_components(const std::vector<Text>& parts, std::size_t kept) {
    std::vector<Text> folded;
    for (const Text& part : parts) {
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            if (folded.size() > kept) folded.pop_back();
            continue;
        }
        folded.push_back(part);
    }
    return folded;
}

bool starts_with_ci(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

bool has_bom(std::string_view bytes) {
    return bytes.rfind("\xEF\xBB\xBF", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0 ||
           bytes.rfind("\xFF\xFE", 0) == 0;
}

// A <meta> element naming a charset, among the first bytes of a page (where
// the engine looks for one).
constexpr std::size_t kMetaScanBytes = 8192;

bool declares_meta_charset(std::string_view bytes) {
    std::string head(bytes.substr(0, kMetaScanBytes));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (std::size_t at = head.find("<meta"); at != std::string::npos;
         at = head.find("<meta", at + 1)) {
        std::size_t end = head.find('>', at);
        if (head.substr(at, end - at).find("charset") != std::string::npos) return true;
    }
    return false;
}

}  // namespace

std::string book_url(const Text& windows_path) {
    std::string path = to_utf8(windows_path);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (is_drive(std::string_view(path).substr(0, 2)))
        path.insert(0, "/");
    else if (path.empty() || path[0] != '/') {
        gchar* here = g_get_current_dir();
        path = std::string(here) + "/" + path;
        g_free(here);
    }
    return std::string(kBookScheme) + "://" + percent_encoded(path);
}

std::optional<Text> windows_path_of_url(std::string_view url) {
    std::string prefix = std::string(kBookScheme) + ":";
    if (!starts_with_ci(url, prefix)) return std::nullopt;
    std::string_view rest = url.substr(prefix.size());
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.rfind("//", 0) == 0) {  // an authority, if any, names nothing
        std::size_t path_start = rest.find('/', 2);
        rest = path_start == std::string_view::npos ? std::string_view() : rest.substr(path_start);
    }
    std::vector<Text> parts = decoded_components(rest);
    bool on_drive = false;
    for (const Text& part : parts) {
        if (part.empty()) continue;
        on_drive = is_drive(to_utf8(part));
        break;
    }
    std::vector<Text> components = folded_components(parts, on_drive ? 1 : 0);
    const char16_t separator = on_drive ? u'\\' : u'/';
    Text path;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0 || !on_drive) path.push_back(separator);
        path.append(components[i]);
    }
    if (path.empty() || (on_drive && components.size() == 1)) path.push_back(separator);
    return path;
}

std::string url_scheme(std::string_view url) {
    std::size_t colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    std::string scheme(url.substr(0, colon));
    for (char& c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return {};
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return std::isalpha(static_cast<unsigned char>(scheme[0])) ? scheme : std::string();
}

std::string undeclared_charset(std::string_view bytes, bool is_html) {
    if (has_bom(bytes)) return {};
    if (is_html && declares_meta_charset(bytes)) return {};
    return is_valid_utf8(bytes) ? "utf-8" : "windows-1251";
}

}  // namespace orn::page
