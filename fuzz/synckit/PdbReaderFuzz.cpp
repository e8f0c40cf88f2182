// Fuzzes the PDB reader: any bytes give a clean status, and whatever it accepts writes
// back to a file that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/synckit/PdbFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tf::synckit::HandheldDatabase db;
    std::string error;
    int status = tf::synckit::ParsePdb(data, size, db, &error);
    if (status != kSkOk) {
        if (status != kSkErrDamaged || error.empty())
            std::abort();
        return 0;
    }
    std::vector<std::uint8_t> rebuilt = tf::synckit::BuildPdb(db);
    tf::synckit::HandheldDatabase again;
    if (tf::synckit::ParsePdb(rebuilt.data(), rebuilt.size(), again) != kSkOk)
        std::abort();
    if (again.records.size() != db.records.size() || again.appInfo != db.appInfo)
        std::abort();
    for (std::size_t i = 0; i < db.records.size(); ++i)
        if (again.records[i].data != db.records[i].data ||
            again.records[i].uid != db.records[i].uid ||
            again.records[i].flags != db.records[i].flags ||
            again.records[i].category != db.records[i].category)
            std::abort();
    return 0;
}
