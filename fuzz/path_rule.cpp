#include "path_rule.h"

#include <vector>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts(1);
    for (char c : path) {
        if (IsSeparator(c))
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool IsDevice(const std::string& component) {
    std::string stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    stem = UpperAscii(stem);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
    const std::string portDigits = "123456789\xB9\xB2\xB3";  // superscripts in code page 1252
    return portDigits.find(stem[3]) != std::string::npos;
}

bool IsUsableComponent(const std::string& component) {
    return component.find_last_not_of(". ") != std::string::npos && !IsDevice(component);
}

bool IsUnreservedByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

int UpperHexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool StaysInsideFolder(const std::string& relativePath) {
    if (relativePath.empty() || IsSeparator(relativePath[0])) return false;
    for (unsigned char c : relativePath)
        if (c < 0x20 || c == ':') return false;
    for (const std::string& component : Components(relativePath))
        if (!IsUsableComponent(component)) return false;
    return true;
}

bool DecodeStrictPercent(const std::string& encoded, std::string* decoded) {
    decoded->clear();
    for (size_t i = 0; i < encoded.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(encoded[i]);
        if (c != '%') {
            if (!IsUnreservedByte(c)) return false;
            *decoded += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= encoded.size()) return false;
        int high = UpperHexValue(encoded[i + 1]);
        int low = UpperHexValue(encoded[i + 2]);
        if (high < 0 || low < 0) return false;
        unsigned char byte = static_cast<unsigned char>(high * 16 + low);
        if (IsUnreservedByte(byte)) return false;  // would have stayed as it was
        *decoded += static_cast<char>(byte);
        i += 2;
    }
    return true;
}
