// Quillbox's record format: any bytes parsed; what parses is written again
// and reads back the same, and a record's file name reads back its time.
#include "fuzzcheck.h"
#include "record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const record::Parsed parsed = record::parse(bytes);
    if (parsed.ok()) {
        FUZZ_CHECK(parsed.record.text.size() <= record::maxTextBytes);
        const std::string again = record::format(parsed.record);
        const record::Parsed back = record::parse(again);
        FUZZ_CHECK(back.ok());
        FUZZ_CHECK(back.record.text == parsed.record.text);
        FUZZ_CHECK(back.record.received == parsed.record.received);
        // Names are cut at 256 bytes as written; shorter ones come back whole.
        if (again.size() < record::maxNameBytes)
            FUZZ_CHECK(back.record == parsed.record);
        FUZZ_CHECK(record::format(back.record) == again);
    }
    // Arbitrary names: only record names have a time, and a record name
    // made from that time is one too.
    if (const auto time = record::timeOfName(bytes)) {
        FUZZ_CHECK(record::isRecordName(record::recordName(*time, 0, 1)));
        FUZZ_CHECK(record::timeOfName(record::recordName(*time, 0, 1)) == time);
    }
    return 0;
}
