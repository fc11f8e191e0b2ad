#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A reader of presentation graphics streams that the tests check the writer's files with. It
// knows the format only, not the writer, and refuses anything out of place: a wrong magic, a
// field past its segment, bytes left over, a segment outside a display set, fragments out of
// order, run-length lines that do not fill their width.
namespace pgsread {

struct Segment {
    std::uint8_t type = 0;
    std::uint32_t pts = 0;
    std::uint32_t dts = 0;
    std::size_t size = 0; // of the payload
};

struct CompositionObject {
    std::uint16_t objectId = 0;
    std::uint8_t windowId = 0;
    std::uint8_t flags = 0;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

struct Composition {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t frameRate = 0;
    std::uint16_t number = 0;
    std::uint8_t state = 0;
    std::uint8_t paletteUpdate = 0;
    std::uint8_t paletteId = 0;
    std::vector<CompositionObject> objects;
};

struct Window {
    std::uint8_t id = 0;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
};

struct PaletteEntry {
    std::uint8_t index = 0;
    std::uint8_t y = 0;
    std::uint8_t cr = 0;
    std::uint8_t cb = 0;
    std::uint8_t alpha = 0;
};

struct Palette {
    std::uint8_t id = 0;
    std::uint8_t version = 0;
    std::vector<PaletteEntry> entries;
};

struct Object {
    std::uint16_t id = 0;
    std::uint8_t version = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<std::uint8_t> fragmentFlags;
    std::vector<std::size_t> fragmentData; // bytes of width, height and code in each fragment
    std::vector<std::uint8_t> pixels;      // palette indexes, line by line
};

// From a composition to its end segment.
struct DisplaySet {
    std::vector<Segment> segments;
    Composition composition;
    std::vector<Window> windows; // of every window definition in the set
    std::optional<Palette> palette;
    std::optional<Object> object;
};

struct Stream {
    std::vector<DisplaySet> sets;
    std::string error; // empty when the whole stream was read
};

Stream Decode(std::span<const std::uint8_t> bytes);

} // namespace pgsread
