#include "kestrum/propstore/carchive.h"

#include "kestrum/propstore/carchiveexception.h"
#include "kestrum/util/littleendian.h"
#include "kestrum/util/textcodec.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace kestrum {
namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint16_t kWideStringMark = 0xFFFE;
constexpr std::size_t kMaxClassNameLength = 63;

using Cause = CArchiveException::Cause;

// Class names come from the file; keep whatever a terminal would act on out of messages.
std::string Printable(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '?';
    }
    return text;
}

} // namespace

CArchive::CArchive(std::vector<std::uint8_t>& out)
    : m_out(&out) {}

CArchive::CArchive(std::span<const std::uint8_t> data)
    : m_data(data) {}

void CArchive::WriteByte(std::uint8_t value) {
    m_out->push_back(value);
}

void CArchive::WriteWord(std::uint16_t value) {
    const std::size_t at = m_out->size();
    m_out->resize(at + 2);
    WriteLe16(*m_out, at, value);
}

void CArchive::WriteDWord(std::uint32_t value) {
    const std::size_t at = m_out->size();
    m_out->resize(at + 4);
    WriteLe32(*m_out, at, value);
}

void CArchive::WriteInt(std::int32_t value) {
    WriteDWord(static_cast<std::uint32_t>(value));
}

void CArchive::WriteFloat(float value) {
    WriteDWord(std::bit_cast<std::uint32_t>(value));
}

void CArchive::Write(std::span<const std::uint8_t> bytes) {
    m_out->insert(m_out->end(), bytes.begin(), bytes.end());
}

void CArchive::WriteString(std::string_view text) {
    const std::size_t length = text.size();
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        throw CArchiveException(Cause::FileError, "string longer than 4 GiB");
    }
    if (length < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < kWideStringMark) {
        WriteByte(0xFF);
        WriteWord(static_cast<std::uint16_t>(length));
    } else {
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDWord(static_cast<std::uint32_t>(length));
    }
    Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void CArchive::WriteCount(std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max()) {
        throw CArchiveException(Cause::FileError, "more than 4 Gi elements");
    }
    if (count < 0xFFFF) {
        WriteWord(static_cast<std::uint16_t>(count));
    } else {
        WriteWord(0xFFFF);
        WriteDWord(static_cast<std::uint32_t>(count));
    }
}

void CArchive::WriteClassTag(const CRuntimeClass& cls) {
    const auto known = m_storedClasses.find(&cls);
    if (known == m_storedClasses.end()) {
        WriteWord(kNewClassTag);
        WriteWord(cls.m_schema);
        WriteWord(static_cast<std::uint16_t>(cls.m_name.size()));
        Write(
            std::span(reinterpret_cast<const std::uint8_t*>(cls.m_name.data()), cls.m_name.size()));
        m_storedClasses.emplace(&cls, m_nextIndex++);
    } else if (known->second < kBigObjectTag) {
        WriteWord(static_cast<std::uint16_t>(kClassTag | known->second));
    } else {
        WriteWord(kBigObjectTag);
        WriteDWord(kBigClassTag | known->second);
    }
}

void CArchive::WriteObject(CObject& object) {
    WriteClassTag(object.GetRuntimeClass());
    ++m_nextIndex;
    object.Serialize(*this);
}

void CArchive::ThrowEndOfData() const {
    // Name the offset of the read that ran past the end: where a damaged file went wrong.
    throw CArchiveException(Cause::EndOfData, "at byte " + std::to_string(m_pos));
}

std::span<const std::uint8_t> CArchive::Take(std::size_t count) {
    if (count > GetRemaining()) {
        ThrowEndOfData();
    }
    const auto bytes = m_data.subspan(m_pos, count);
    m_pos += count;
    return bytes;
}

std::uint8_t CArchive::ReadByte() {
    return Take(1)[0];
}

std::uint16_t CArchive::ReadWord() {
    return ReadLe16(Take(2));
}

std::uint32_t CArchive::ReadDWord() {
    return ReadLe32(Take(4));
}

std::int32_t CArchive::ReadInt() {
    return static_cast<std::int32_t>(ReadDWord());
}

float CArchive::ReadFloat() {
    return std::bit_cast<float>(ReadDWord());
}

std::size_t CArchive::Read(std::span<std::uint8_t> bytes) {
    const auto available = Take(std::min(bytes.size(), GetRemaining()));
    std::copy(available.begin(), available.end(), bytes.begin());
    return available.size();
}

void CArchive::ReadExactly(std::span<std::uint8_t> bytes) {
    const auto available = Take(bytes.size());
    std::copy(available.begin(), available.end(), bytes.begin());
}

std::string CArchive::ReadString() {
    std::size_t length = ReadByte();
    if (length == 0xFF) {
        const std::uint16_t word = ReadWord();
        if (word == kWideStringMark) {
            return ReadWideString();
        }
        length = word == 0xFFFF ? ReadDWord() : word;
    }
    const auto text = Take(length);
    return std::string(text.begin(), text.end());
}

// The length of a string of 16-bit characters, in characters: the same three forms, but
// without a further wide mark.
std::size_t CArchive::ReadStringLength() {
    const std::uint8_t byte = ReadByte();
    if (byte < 0xFF) {
        return byte;
    }
    const std::uint16_t word = ReadWord();
    return word < 0xFFFF ? word : ReadDWord();
}

// Files written on another system may hold strings of 16-bit characters; we keep text in
// 8-bit form, so they become UTF-8. This archive never writes them.
std::string CArchive::ReadWideString() {
    const std::size_t characters = ReadStringLength();
    if (characters > GetRemaining() / 2) {
        ThrowEndOfData();
    }
    const std::span<const std::uint8_t> units = Take(characters * 2);
    return Utf16ToUtf8({reinterpret_cast<const char*>(units.data()), units.size()}, true);
}

std::size_t CArchive::ReadCount() {
    const std::uint16_t word = ReadWord();
    const std::size_t count = word < 0xFFFF ? word : ReadDWord();
    // Every element takes at least one byte: a larger count cannot be true.
    if (count > GetRemaining()) {
        ThrowEndOfData();
    }
    return count;
}

const CRuntimeClass& CArchive::ReadNewClass() {
    const std::uint16_t schema = ReadWord();
    const std::uint16_t length = ReadWord();
    if (length > kMaxClassNameLength) {
        throw CArchiveException(Cause::BadClass,
                                "class name of " + std::to_string(length) + " bytes");
    }
    const auto name = Take(length);
    const CRuntimeClass* cls = CRuntimeClass::FromName(
        std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
    if (cls == nullptr) {
        throw CArchiveException(Cause::BadClass, "unknown class \"" + Printable(name) + "\"");
    }
    if (schema != cls->m_schema) {
        throw CArchiveException(Cause::BadSchema,
                                std::string(cls->m_name) + " schema " + std::to_string(schema));
    }
    m_loadedIndex.push_back(cls);
    return *cls;
}

const CRuntimeClass& CArchive::ReadClassTag() {
    const std::uint16_t tag = ReadWord();
    if (tag == kNewClassTag) {
        return ReadNewClass();
    }
    const std::uint32_t wide =
        tag == kBigObjectTag
            ? ReadDWord()
            : (static_cast<std::uint32_t>(tag & kClassTag) << 16) | (tag & 0x7FFFu);
    // Without the class bit the tag is "no object" or a reference to an object read earlier.
    // We never write either: every key and every section holds an object of its own.
    if ((wide & kBigClassTag) == 0) {
        throw CArchiveException(Cause::BadIndex,
                                wide == 0 ? "no object"
                                          : "reference to object " + std::to_string(wide));
    }
    const std::uint32_t index = wide & ~kBigClassTag;
    if (index >= m_loadedIndex.size() || m_loadedIndex[index] == nullptr) {
        throw CArchiveException(Cause::BadIndex, "class index " + std::to_string(index));
    }
    return *m_loadedIndex[index];
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass& base) {
    const CRuntimeClass& cls = ReadClassTag();
    if (!cls.IsDerivedFrom(base) || cls.m_factory == nullptr) {
        throw CArchiveException(Cause::BadClass, std::string(cls.m_name) + " where " +
                                                     std::string(base.m_name) + " belongs");
    }
    auto object = cls.m_factory();
    m_loadedIndex.push_back(nullptr);
    object->Serialize(*this);
    return object;
}

} // namespace kestrum
