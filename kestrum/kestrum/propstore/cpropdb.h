#pragma once

#include <kestrum/kestrum_export.h>
#include <kestrum/propstore/cobject.h>
#include <kestrum/propstore/cpropset.h>
#include <kestrum/propstore/propfileresult.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace kestrum {

// The persistent settings store: typed values addressed by a section name and a key, kept in
// property sets and saved to one file. The empty section name is the default set; a named
// section exists from its first write until DeleteAll.
class KESTRUM_EXPORT CPropDb : public CObject {
public:
    // Byte-wise sorted: the order in which files list the sections.
    using SectionMap = std::map<std::string, std::unique_ptr<CPropSet>, std::less<>>;

    static const CRuntimeClass classCPropDb;
    static std::unique_ptr<CObject> CreateObject();

    CPropDb();
    CPropDb(const CPropDb&) = delete;
    CPropDb& operator=(const CPropDb&) = delete;
    // A database moved from may only be assigned to or destroyed.
    CPropDb(CPropDb&&) noexcept;
    CPropDb& operator=(CPropDb&&) noexcept;
    ~CPropDb() override;

    // Exchanges everything, file name, extension and module name included, so that a database
    // read on the side can take the place of the one in use in one step that cannot fail.
    void Swap(CPropDb& other) noexcept;

    const CRuntimeClass& GetRuntimeClass() const override;
    void Serialize(CArchive& ar) override;

    int GetType(std::string_view section, std::string_view key) const;
    bool IsKey(std::string_view section, std::string_view key) const;
    bool IsSet(std::string_view section) const;
    // An emptied section stays, and is saved with no keys.
    void DeleteKey(std::string_view section, std::string_view key);
    // Destroys every section and empties the default set; the module name and extension stay.
    void DeleteAll();

    bool WritePropInt(std::string_view section, std::string_view key, std::int32_t value);
    bool WritePropFloat(std::string_view section, std::string_view key, float value);
    bool WritePropString(std::string_view section, std::string_view key, std::string_view value);
    bool WritePropBool(std::string_view section, std::string_view key, int value);
    bool WritePropBlob(std::string_view section, std::string_view key,
                       std::span<const std::uint8_t> data);
    bool WritePropObj(std::string_view section, std::string_view key,
                      std::unique_ptr<CObject> object);

    // A missing named section is created by a read only when create is set.
    std::int32_t ReadPropInt(std::string_view section, std::string_view key, std::int32_t def,
                             bool create);
    float ReadPropFloat(std::string_view section, std::string_view key, float def, bool create);
    const std::string& ReadPropString(std::string_view section, std::string_view key,
                                      const std::string& def, bool create);
    int ReadPropBool(std::string_view section, std::string_view key, int def, bool create);
    const std::uint8_t* ReadPropBlob(std::string_view section, std::string_view key) const;
    std::uint32_t GetBlobSize(std::string_view section, std::string_view key) const;
    CObject* ReadPropObj(std::string_view section, std::string_view key) const;

    // The extension of the default file name, without the point.
    void SetExtension(std::string_view extension) { m_extension = extension; }
    // The program's path with its extension replaced ("/opt/orvo/bin/orvo" -> ".../orvo.cfg").
    std::string GetDefaultFileName() const;
    // The full path of the program that saved the database last, or "None".
    const std::string& GetModuleName() const { return m_moduleName; }

    // An empty name means the default file name. Save replaces the file only when the whole
    // new content is on disk (a failed save leaves the old file as it was) and returns false
    // when the file cannot be created or is read-only. Load empties the database first and
    // returns false when the file cannot be opened or read, is no regular file or is larger
    // than kPropFileSizeLimit. Every other error is a CArchiveException; after a failed Load
    // the database holds what was read before the error. After false, errno holds the reason.
    [[nodiscard]] bool Save(const std::string& fileName);
    [[nodiscard]] bool Load(const std::string& fileName);
    // Save and Load, with the reason when they would return false.
    [[nodiscard]] PropFileResult SaveWithReason(const std::string& fileName);
    [[nodiscard]] PropFileResult LoadWithReason(const std::string& fileName);

    const CPropSet& GetDefaultSet() const { return m_defaultSet; }
    const SectionMap& GetSections() const { return m_sections; }

private:
    const CPropSet* FindSet(std::string_view section) const;
    CPropSet* FindSet(std::string_view section);
    CPropSet& SetForWrite(std::string_view section);

    CPropSet m_defaultSet;
    SectionMap m_sections;
    std::string m_name;
    // Written to every file for compatibility; nothing reads them.
    std::uint32_t m_headerWord1 = 1;
    std::uint32_t m_headerWord2 = 0;
    std::string m_extension = "cfg";
    std::string m_moduleName = "None";
};

} // namespace kestrum
