#include "settings/ProcessColumns.h"
#include "base/Text.h"

namespace vtx::cells {

std::wstring None(const TRowFacts&) { return {}; }

std::wstring Product(const TRowFacts& row) {
    if (!row.Product.empty() && row.Product != L"-") return row.Product;
    const size_t cut = row.FileName.find_last_of(L"\\:");
    return cut == std::wstring::npos ? row.FileName : row.FileName.substr(cut + 1);
}

std::wstring Company(const TRowFacts& row) { return row.Company; }
std::wstring Description(const TRowFacts& row) { return row.Description; }
std::wstring Path(const TRowFacts& row) { return row.FileName; }
std::wstring Version(const TRowFacts& row) { return row.Version; }
std::wstring ProcessId(const TRowFacts& row) { return HexText(row.ProcessId, 4); }

} // namespace vtx::cells
