// libFuzzer target for the readers of property files: the bytes are loaded as a database body
// and as a set body. An archive exception is the expected way to refuse bad input; a crash, any
// other exception or a sanitizer report is a finding. Whatever loads is saved, loaded again
// and saved again: the writer and the reader must agree on every file the writer makes.
#include <kestrum/propstore/carchive.h>
#include <kestrum/propstore/carchiveexception.h>
#include <kestrum/propstore/cpropdb.h>
#include <kestrum/propstore/cpropset.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The number of bytes the body took, or nothing when the archive refused the data.
template <class Body>
std::optional<std::size_t> Load(Body& body, std::span<const std::uint8_t> data) {
    try {
        kestrum::CArchive ar(data);
        body.Serialize(ar);
        return data.size() - ar.GetRemaining();
    } catch (const kestrum::CArchiveException&) {
        return std::nullopt;
    }
}

template <class Body>
Bytes Save(Body& body) {
    Bytes bytes;
    kestrum::CArchive ar(bytes);
    body.Serialize(ar);
    return bytes;
}

template <class Body>
void CheckRoundTrip(std::span<const std::uint8_t> data) {
    Body first;
    if (!Load(first, data)) {
        return;
    }
    const Bytes saved = Save(first);
    Body second;
    // The saved file must be read whole: a reader stopping early would ignore what follows.
    if (Load(second, saved) != saved.size() || Save(second) != saved) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    CheckRoundTrip<kestrum::CPropDb>(bytes);
    CheckRoundTrip<kestrum::CPropSet>(bytes);
    return 0;
}
