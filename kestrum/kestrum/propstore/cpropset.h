#pragma once

#include <kestrum/kestrum_export.h>
#include <kestrum/propstore/cobject.h>
#include <kestrum/propstore/cprop.h>
#include <kestrum/propstore/propfileresult.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrum {

// A flat collection of typed values addressed by key (compared byte for byte). Every read
// names the kind it expects and a default; with create set, a missing key is filled with the
// default, so that a program's first run writes every setting it asked for.
//
// Returned pointers and references point into the set and stay valid until the key is
// written again or deleted, or the set is emptied, reloaded or destroyed.
class KESTRUM_EXPORT CPropSet : public CObject {
public:
    // Byte-wise sorted: the iteration order, and so the order in which files list the keys.
    using ValueMap = std::map<std::string, std::unique_ptr<CProp>, std::less<>>;

    static const CRuntimeClass classCPropSet;
    static std::unique_ptr<CObject> CreateObject();

    CPropSet();
    CPropSet(const CPropSet&) = delete;
    CPropSet& operator=(const CPropSet&) = delete;
    CPropSet(CPropSet&&) noexcept = default;
    CPropSet& operator=(CPropSet&&) noexcept = default;
    ~CPropSet() override;

    const CRuntimeClass& GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    // The stored type code; kPropNone when the key is missing.
    int GetType(std::string_view key) const;
    bool IsKey(std::string_view key) const;
    void DeleteKey(std::string_view key);
    // Destroys every value; name, extension and module name stay.
    void DeleteAll();

    bool WritePropInt(std::string_view key, std::int32_t value);
    bool WritePropFloat(std::string_view key, float value);
    bool WritePropString(std::string_view key, std::string_view value);
    bool WritePropBool(std::string_view key, int value);
    bool WritePropBlob(std::string_view key, std::span<const std::uint8_t> data);
    bool WritePropObj(std::string_view key, std::unique_ptr<CObject> object);

    std::int32_t ReadPropInt(std::string_view key, std::int32_t def, bool create);
    float ReadPropFloat(std::string_view key, float def, bool create);
    // A missing or mismatched key gives back the caller's own def, not a stored copy.
    const std::string& ReadPropString(std::string_view key, const std::string& def, bool create);
    int ReadPropBool(std::string_view key, int def, bool create);
    // Null unless the key holds a blob. The buffer has GetBlobSize(key) bytes.
    const std::uint8_t* ReadPropBlob(std::string_view key) const;
    // The byte count of the blob under key; 0 when the key holds no blob.
    std::uint32_t GetBlobSize(std::string_view key) const;
    // Null unless the key holds an object. The set keeps owning it.
    CObject* ReadPropObj(std::string_view key) const;

    // The set alone in a file of its own; an empty name means the default file name, formed
    // from the program's path and the extension "cfg". Save and Load fail as CPropDb's do.
    [[nodiscard]] bool Save(const std::string& fileName);
    [[nodiscard]] bool Load(const std::string& fileName);
    [[nodiscard]] PropFileResult SaveWithReason(const std::string& fileName);
    [[nodiscard]] PropFileResult LoadWithReason(const std::string& fileName);

    // The full path of the program that last saved the set, or "None".
    const std::string& GetModuleName() const { return m_moduleName; }
    const std::string& GetName() const { return m_name; }
    void SetName(std::string_view name) { m_name = name; }
    const ValueMap& GetValues() const { return m_values; }

private:
    template <class Carrier>
    const Carrier* Find(std::string_view key, int type) const;
    template <class Carrier, class Fresh>
    Carrier& Slot(std::string_view key);

    ValueMap m_values;
    std::string m_name;
    std::string m_extension = "cfg";
    std::string m_moduleName = "None";
};

} // namespace kestrum
