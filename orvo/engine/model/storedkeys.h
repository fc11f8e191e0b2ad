#pragma once

#include <string_view>

// The names under which the settings database stores each value, all in its default section.
// They are part of every settings and list configuration file: never rename one.
namespace orvo::keys {

// The look.
constexpr std::string_view kFont = "Font";
constexpr std::string_view kAntiAlias = "AntiAlias";
constexpr std::string_view kLeftMargin = "LeftMargin";
constexpr std::string_view kRightMargin = "RightMargin";
constexpr std::string_view kVerticalOffset = "VerticalOffset";
constexpr std::string_view kAlign = "Align";
constexpr std::string_view kTextColor = "TextColor";
constexpr std::string_view kTextBkgColor = "TextBkgColor";
constexpr std::string_view kBkgColor = "BkgColor";
constexpr std::string_view kBox = "Box";
constexpr std::string_view kOutline = "Outline";
constexpr std::string_view kExtendBlanks = "ExtendBlanks";
constexpr std::string_view kOutlineSpacing = "OutlineSpacing";
constexpr std::string_view kPal = "PAL";
constexpr std::string_view kDvdColors = "DvdColors";
constexpr std::string_view kOutlineWidth = "OutlineWidth";
constexpr std::string_view kShadowOffset = "ShadowOffset";
constexpr std::string_view kBalancedBreaks = "BalancedBreaks";
constexpr std::string_view kAnamorphic = "Anamorphic";
constexpr std::string_view kResolution = "Resolution";
constexpr std::string_view kLastPath = "LastPath";

// The run of a list.
constexpr std::string_view kHeader = "Header1";
constexpr std::string_view kImgName = "ImgName";
constexpr std::string_view kStartIndex = "StartIndex";
constexpr std::string_view kFrameRate = "FrameRate";
constexpr std::string_view kOutputType = "OutputType";
constexpr std::string_view kLanguage = "Language";

} // namespace orvo::keys
