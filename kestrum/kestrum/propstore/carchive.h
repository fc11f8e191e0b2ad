#pragma once

#include <kestrum/kestrum_export.h>
#include <kestrum/propstore/cobject.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrum {

// Writes or reads the persistent-object stream of a property file: little-endian words,
// counted strings, element counts and class-tagged objects. It works on bytes in memory, so
// that the file handling (one read, one atomic write) stays apart from the format.
//
// Loading never trusts a length or count from the data: one that is larger than what remains
// is "end of data" before anything is allocated for it.
class KESTRUM_EXPORT CArchive {
public:
    // A storing archive appending to out.
    explicit CArchive(std::vector<std::uint8_t>& out);
    // A loading archive over data, which must outlive the archive.
    explicit CArchive(std::span<const std::uint8_t> data);

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_out != nullptr; }
    bool IsLoading() const { return m_out == nullptr; }

    void WriteByte(std::uint8_t value);
    void WriteWord(std::uint16_t value);
    void WriteDWord(std::uint32_t value);
    void WriteInt(std::int32_t value);
    void WriteFloat(float value);
    void Write(std::span<const std::uint8_t> bytes);
    void WriteString(std::string_view text);
    void WriteCount(std::size_t count);
    // The class tag (new class or class reference), then the object's body.
    void WriteObject(CObject& object);

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDWord();
    std::int32_t ReadInt();
    float ReadFloat();
    // Takes up to bytes.size() bytes; returns how many were available.
    std::size_t Read(std::span<std::uint8_t> bytes);
    // Takes exactly bytes.size() bytes or raises end of data.
    void ReadExactly(std::span<std::uint8_t> bytes);
    std::string ReadString();
    std::size_t ReadCount();
    // Reads a tagged object whose class must derive from base; any other class is "bad class".
    std::unique_ptr<CObject> ReadObject(const CRuntimeClass& base);

    std::size_t GetRemaining() const { return m_data.size() - m_pos; }

private:
    std::span<const std::uint8_t> Take(std::size_t count);
    [[noreturn]] void ThrowEndOfData() const;
    std::size_t ReadStringLength();
    std::string ReadWideString();
    void WriteClassTag(const CRuntimeClass& cls);
    const CRuntimeClass& ReadClassTag();
    const CRuntimeClass& ReadNewClass();

    std::vector<std::uint8_t>* m_out = nullptr;
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;

    // Classes and objects share one index sequence; index 0 stands for no object.
    std::uint32_t m_nextIndex = 1; // while storing
    std::unordered_map<const CRuntimeClass*, std::uint32_t> m_storedClasses;
    // While loading: the class of each index, null where the index belongs to an object, so
    // the next index is its size.
    std::vector<const CRuntimeClass*> m_loadedIndex{nullptr};
};

} // namespace kestrum
