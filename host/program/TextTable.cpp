#include "host/program/TextTable.h"

#include <algorithm>

namespace telva_host {

namespace {

const std::size_t kIndent = 2;
const std::size_t kGap = 2;

}  // namespace

TextTable::TextTable(const std::vector<std::string>& headers) : headers_(headers) {}

void TextTable::AddRow(std::vector<std::string> cells) {
    cells.resize(headers_.size());
    rows_.push_back(cells);
}

std::size_t TextTable::DisplayWidth(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::vector<std::vector<std::size_t> > TextTable::Blocks(const std::vector<std::size_t>& widths,
                                                         std::size_t width) const {
    std::vector<std::vector<std::size_t> > blocks;
    std::size_t next = 0;
    while (next < widths.size()) {
        std::vector<std::size_t> block;
        std::size_t used = kIndent;
        if (next != 0) {
            block.push_back(0);
            used += widths[0];
        }
        // Every block takes at least one new column, even one too wide for the page.
        do {
            used += (block.empty() ? 0 : kGap) + widths[next];
            block.push_back(next++);
        } while (next < widths.size() && (width == 0 || used + kGap + widths[next] <= width));
        blocks.push_back(block);
    }
    return blocks;
}

void TextTable::WriteLine(std::ostream& out, const std::vector<std::string>& cells,
                          const std::vector<std::size_t>& columns,
                          const std::vector<std::size_t>& widths) const {
    std::string line(kIndent, ' ');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string& cell = cells[columns[i]];
        line += cell;
        if (i + 1 < columns.size()) {
            line += std::string(widths[columns[i]] - DisplayWidth(cell) + kGap, ' ');
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
}

void TextTable::Write(std::ostream& out, std::size_t width) const {
    if (headers_.empty()) return;
    std::vector<std::size_t> widths(headers_.size(), 0);
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        widths[i] = DisplayWidth(headers_[i]);
        for (const auto& row : rows_) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::vector<std::string> rules;
    for (std::size_t w : widths) rules.push_back(std::string(w, '-'));

    const std::vector<std::vector<std::size_t> > blocks = Blocks(widths, width);
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        if (b != 0) out << "\n";
        WriteLine(out, headers_, blocks[b], widths);
        WriteLine(out, rules, blocks[b], widths);
        for (const auto& row : rows_) WriteLine(out, row, blocks[b], widths);
    }
}

}  // namespace telva_host
