#include "output/imagename.h"

#include "model/texts.h"
#include "output/outputformat.h"

#include <kestrum/util/cstringhelper.h>

#include <array>
#include <cstdio>

namespace orvo {
namespace {

// Room for the number, the extension and the folder within the usual 255-byte name limit.
constexpr std::size_t kMaxNameBytes = 200;

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

std::string Shown(const std::string& name) {
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControl(byte)) {
            std::array<char, 8> escape{};
            std::snprintf(escape.data(), escape.size(), "\\x%02X", byte);
            shown += escape.data();
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace

std::optional<std::string> ImageNameProblem(const std::string& name) {
    if (name.empty()) {
        return "it is empty";
    }
    if (name.size() > kMaxNameBytes) {
        return "it is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    }
    if (name == "." || name == "..") {
        return "it names a folder";
    }
    for (const char c : name) {
        // Both separate folders here: a list written elsewhere may use either.
        if (c == '/' || c == '\\') {
            return "it contains a folder separator";
        }
        if (c == '\0') {
            return "it contains a NUL byte";
        }
        if (IsControl(static_cast<unsigned char>(c))) {
            return "it contains a control character";
        }
    }
    return std::nullopt;
}

std::optional<std::string> ImageNameProblem(OutputType type, const std::string& name) {
    return FormatOf(type).WritesImageFiles() ? ImageNameProblem(name) : std::nullopt;
}

std::string ImageNameRefusal(const std::string& name, const std::string& problem) {
    return "The image name \"" + Shown(name) + "\" is refused: " + problem + ".";
}

std::string ImageFileTitle(const std::string& name, int number, std::string_view extension) {
    return name + "." + std::to_string(number) + "." + std::string(extension);
}

std::string DefaultImageName(OutputType type, const std::string& listPath) {
    if (const std::string_view name = FormatOf(type).defaultImageName; !name.empty()) {
        return std::string(name);
    }
    kestrum::CStringHelper helper;
    std::string title = helper.GetFileTitle(listPath);
    // Only a point after the first character starts an extension: ".film" is a hidden name.
    if (const std::size_t point = title.rfind('.'); point != std::string::npos && point > 0) {
        title.resize(point);
    }
    return ImageNameProblem(title) ? std::string(texts::kDefaultImageName) : title;
}

} // namespace orvo
