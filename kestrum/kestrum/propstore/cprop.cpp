#include "kestrum/propstore/cprop.h"

#include "kestrum/propstore/carchive.h"
#include "kestrum/propstore/carchiveexception.h"

#include <algorithm>
#include <bit>

namespace kestrum {

constinit const CRuntimeClass CProp::classCProp{"CProp", 1, &CObject::classCObject,
                                                &CProp::CreateObject};
constinit const CRuntimeClass CIntProp::classCIntProp{"CIntProp", 1, &CProp::classCProp,
                                                      &CIntProp::CreateObject};
constinit const CRuntimeClass CFloatProp::classCFloatProp{"CFloatProp", 1, &CProp::classCProp,
                                                          &CFloatProp::CreateObject};
constinit const CRuntimeClass CBoolProp::classCBoolProp{"CBoolProp", 1, &CProp::classCProp,
                                                        &CBoolProp::CreateObject};
constinit const CRuntimeClass CStringProp::classCStringProp{"CStringProp", 1, &CProp::classCProp,
                                                            &CStringProp::CreateObject};
constinit const CRuntimeClass CBlobProp::classCBlobProp{"CBlobProp", 1, &CProp::classCProp,
                                                        &CBlobProp::CreateObject};
constinit const CRuntimeClass CObjProp::classCObjProp{"CObjProp", 1, &CProp::classCProp,
                                                      &CObjProp::CreateObject};

std::unique_ptr<CObject> CProp::CreateObject() {
    return std::make_unique<CProp>();
}

const CRuntimeClass& CProp::GetRuntimeClass() const {
    return classCProp;
}

void CProp::Serialize(CArchive& /*ar*/) {}

void CWordProp::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteInt(m_nType);
        ar.WriteDWord(m_word);
    } else {
        m_nType = ar.ReadInt();
        m_word = ar.ReadDWord();
    }
}

float CWordProp::GetFloat() const {
    return std::bit_cast<float>(m_word);
}

void CWordProp::SetFloat(float value) {
    m_word = std::bit_cast<std::uint32_t>(value);
}

std::unique_ptr<CObject> CIntProp::CreateObject() {
    return std::make_unique<CIntProp>();
}

const CRuntimeClass& CIntProp::GetRuntimeClass() const {
    return classCIntProp;
}

std::unique_ptr<CObject> CFloatProp::CreateObject() {
    return std::make_unique<CFloatProp>();
}

const CRuntimeClass& CFloatProp::GetRuntimeClass() const {
    return classCFloatProp;
}

std::unique_ptr<CObject> CBoolProp::CreateObject() {
    return std::make_unique<CBoolProp>();
}

const CRuntimeClass& CBoolProp::GetRuntimeClass() const {
    return classCBoolProp;
}

std::unique_ptr<CObject> CStringProp::CreateObject() {
    return std::make_unique<CStringProp>();
}

const CRuntimeClass& CStringProp::GetRuntimeClass() const {
    return classCStringProp;
}

void CStringProp::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteInt(m_nType);
        ar.WriteString(m_value);
    } else {
        m_nType = ar.ReadInt();
        m_value = ar.ReadString();
    }
}

std::unique_ptr<CObject> CBlobProp::CreateObject() {
    return std::make_unique<CBlobProp>();
}

const CRuntimeClass& CBlobProp::GetRuntimeClass() const {
    return classCBlobProp;
}

void CBlobProp::SetData(std::span<const std::uint8_t> bytes) {
    m_data = std::make_unique_for_overwrite<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), m_data.get());
    m_size = static_cast<std::uint32_t>(bytes.size());
}

void CBlobProp::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteInt(m_nType);
        ar.WriteDWord(m_size);
        ar.Write(std::span(m_data.get(), m_size));
        return;
    }
    m_nType = ar.ReadInt();
    const std::uint32_t size = ar.ReadDWord();
    // A size beyond the end of the data is refused before anything is allocated for it.
    if (size > ar.GetRemaining()) {
        throw CArchiveException(CArchiveException::Cause::EndOfData,
                                "blob of " + std::to_string(size) + " bytes");
    }
    m_data = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    m_size = size;
    ar.ReadExactly(std::span(m_data.get(), size));
}

std::unique_ptr<CObject> CObjProp::CreateObject() {
    return std::make_unique<CObjProp>();
}

const CRuntimeClass& CObjProp::GetRuntimeClass() const {
    return classCObjProp;
}

void CObjProp::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteInt(m_nType);
        if (m_object) {
            m_object->Serialize(ar);
        }
        return;
    }
    throw CArchiveException(CArchiveException::Cause::BadClass,
                            "CObjProp cannot be read: its object's class is not saved");
}

} // namespace kestrum
