#include "kestrum/propstore/carchiveexception.h"

namespace kestrum {
namespace {
std::string Message(CArchiveException::Cause cause, const std::string& detail) {
    std::string message = CArchiveException::CauseName(cause);
    if (!detail.empty()) {
        message += ": ";
        message += detail;
    }
    return message;
}
} // namespace

CArchiveException::CArchiveException(Cause cause, const std::string& detail)
    : std::runtime_error(Message(cause, detail))
    , m_cause(cause) {}

CArchiveException::~CArchiveException() = default;

const char* CArchiveException::CauseName(Cause cause) {
    switch (cause) {
    case Cause::EndOfData:
        return "end of data";
    case Cause::BadClass:
        return "bad class";
    case Cause::BadSchema:
        return "bad schema";
    case Cause::BadIndex:
        return "bad index";
    case Cause::FileError:
        return "file error";
    case Cause::OutOfMemory:
        return "out of memory";
    }
    return "unknown error";
}

} // namespace kestrum
