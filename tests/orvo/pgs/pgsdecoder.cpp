#include "pgsdecoder.h"

#include <stdexcept>

namespace pgsread {
namespace {

struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes) {}

    std::uint32_t Read(std::size_t count) {
        if (count > Left()) {
            throw Malformed("a field runs past its end at offset " + std::to_string(m_at));
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            value = value << 8 | m_bytes[m_at++];
        }
        return value;
    }
    std::uint8_t U8() { return static_cast<std::uint8_t>(Read(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Read(2)); }

    std::span<const std::uint8_t> Take(std::size_t count) {
        if (count > Left()) {
            throw Malformed("a payload runs past the end at offset " + std::to_string(m_at));
        }
        const auto taken = m_bytes.subspan(m_at, count);
        m_at += count;
        return taken;
    }
    std::size_t Left() const { return m_bytes.size() - m_at; }
    void ExpectEnd(const char* what) const {
        if (Left() != 0) {
            throw Malformed(std::string(what) + " has " + std::to_string(Left()) + " bytes left");
        }
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

Composition ReadComposition(Reader& in) {
    Composition c{in.U16(), in.U16(), in.U8(), in.U16(), in.U8(), in.U8(), in.U8(), {}};
    for (int count = in.U8(); count > 0; --count) {
        CompositionObject object{in.U16(), in.U8(), in.U8(), in.U16(), in.U16()};
        if (object.flags & 0x80) {
            throw Malformed("a cropped object, which the stream never asks for");
        }
        c.objects.push_back(object);
    }
    in.ExpectEnd("the composition");
    return c;
}

std::vector<Window> ReadWindows(Reader& in) {
    std::vector<Window> windows;
    for (int count = in.U8(); count > 0; --count) {
        windows.push_back({in.U8(), in.U16(), in.U16(), in.U16(), in.U16()});
    }
    in.ExpectEnd("the window definition");
    return windows;
}

Palette ReadPalette(Reader& in) {
    Palette palette{in.U8(), in.U8(), {}};
    while (in.Left() > 0) {
        palette.entries.push_back({in.U8(), in.U8(), in.U8(), in.U8(), in.U8()});
    }
    return palette;
}

// One line's runs, which must fill exactly width pixels, appended to out.
void DecodeLine(Reader& in, std::size_t width, std::vector<std::uint8_t>& out) {
    const std::size_t lineEnd = out.size() + width;
    for (;;) {
        std::uint8_t colour = in.U8();
        std::size_t length = 1;
        if (colour == 0) {
            const std::uint8_t code = in.U8();
            if (code == 0) {
                break;
            }
            length = code & 0x3F;
            if (code & 0x40) {
                length = length << 8 | in.U8();
            }
            colour = (code & 0x80) ? in.U8() : 0;
            if (length == 0) {
                throw Malformed("a run of no pixels");
            }
        }
        if (out.size() + length > lineEnd) {
            throw Malformed("a run past the line's width");
        }
        out.insert(out.end(), length, colour);
    }
    if (out.size() != lineEnd) {
        throw Malformed("a line shorter than the width");
    }
}

// Width, height and the run-length code of a whole object.
void DecodeObjectData(std::span<const std::uint8_t> data, Object& object) {
    Reader in(data);
    object.width = in.U16();
    object.height = in.U16();
    for (int line = 0; line < object.height; ++line) {
        DecodeLine(in, object.width, object.pixels);
    }
    in.ExpectEnd("the object's code after its last line");
}

class Decoder {
public:
    Stream Run(std::span<const std::uint8_t> bytes) {
        try {
            Reader in(bytes);
            while (in.Left() > 0) {
                ReadSegment(in);
            }
            if (m_open) {
                throw Malformed("the stream ends inside a display set");
            }
        } catch (const Malformed& problem) {
            m_stream.error = problem.what();
        }
        return std::move(m_stream);
    }

private:
    void ReadSegment(Reader& in) {
        if (in.U16() != 0x5047) {
            throw Malformed("a segment without its magic");
        }
        Segment segment{};
        segment.pts = in.Read(4);
        segment.dts = in.Read(4);
        segment.type = in.U8();
        segment.size = in.U16();
        Reader payload(in.Take(segment.size));
        if (segment.type == 0x16) {
            if (m_open) {
                throw Malformed("a composition inside a display set");
            }
            m_stream.sets.emplace_back();
            m_open = true;
        } else if (!m_open) {
            throw Malformed("a segment outside a display set");
        }
        DisplaySet& set = m_stream.sets.back();
        set.segments.push_back(segment);
        Interpret(segment.type, payload, set);
    }

    void Interpret(std::uint8_t type, Reader& payload, DisplaySet& set) {
        switch (type) {
        case 0x16:
            set.composition = ReadComposition(payload);
            break;
        case 0x17: {
            const std::vector<Window> windows = ReadWindows(payload);
            set.windows.insert(set.windows.end(), windows.begin(), windows.end());
            break;
        }
        case 0x14:
            set.palette = ReadPalette(payload);
            break;
        case 0x15:
            ReadFragment(payload, set);
            break;
        case 0x80:
            payload.ExpectEnd("the end segment");
            if (m_objectLeft != 0) {
                throw Malformed("a display set ends inside an object");
            }
            m_open = false;
            break;
        default:
            throw Malformed("a segment of unknown type " + std::to_string(type));
        }
    }

    void ReadFragment(Reader& payload, DisplaySet& set) {
        const std::uint16_t id = payload.U16();
        const std::uint8_t version = payload.U8();
        const std::uint8_t flags = payload.U8();
        if (flags & 0x80) {
            if (m_objectLeft != 0 || set.object) {
                throw Malformed("a first fragment while an object is coming");
            }
            set.object = Object{id, version, 0, 0, {}, {}, {}};
            m_objectLeft = payload.Read(3);
            m_data.clear();
        } else if (m_objectLeft == 0 || !set.object || set.object->id != id) {
            throw Malformed("a later fragment without its first");
        }
        const std::span<const std::uint8_t> data = payload.Take(payload.Left());
        if (data.size() > m_objectLeft) {
            throw Malformed("a fragment past its object's length");
        }
        m_data.insert(m_data.end(), data.begin(), data.end());
        m_objectLeft -= data.size();
        set.object->fragmentFlags.push_back(flags);
        set.object->fragmentData.push_back(data.size());
        if (((flags & 0x40) != 0) != (m_objectLeft == 0)) {
            throw Malformed("the last fragment's flag is not where the object's length ends");
        }
        if (m_objectLeft == 0) {
            DecodeObjectData(m_data, *set.object);
        }
    }

    Stream m_stream;
    bool m_open = false;
    std::size_t m_objectLeft = 0;
    std::vector<std::uint8_t> m_data;
};

} // namespace

Stream Decode(std::span<const std::uint8_t> bytes) {
    return Decoder().Run(bytes);
}

} // namespace pgsread
