// A table of text cells laid out in aligned columns. A table wider than the
// page is written in several blocks of columns, each block repeating the
// first column so that every row can still be told apart.
#ifndef STRATA_HOST_PROGRAM_TEXTTABLE_H
#define STRATA_HOST_PROGRAM_TEXTTABLE_H

#include <ostream>
#include <string>
#include <vector>

namespace telva_host {

class TextTable {
public:
    explicit TextTable(const std::vector<std::string>& headers);

    // Missing cells are blank; extra cells are dropped.
    void AddRow(std::vector<std::string> cells);

    // Writes the header, a rule and the rows, each line indented by two
    // blanks. `width` is the page width in characters; 0 never wraps.
    void Write(std::ostream& out, std::size_t width) const;

    // Characters a text takes on a terminal (UTF-8 sequences count once).
    static std::size_t DisplayWidth(const std::string& text);

private:
    std::vector<std::vector<std::size_t> > Blocks(const std::vector<std::size_t>& widths,
                                                  std::size_t width) const;
    void WriteLine(std::ostream& out, const std::vector<std::string>& cells,
                   const std::vector<std::size_t>& columns,
                   const std::vector<std::size_t>& widths) const;

    std::vector<std::string> headers_;
    std::vector<std::vector<std::string> > rows_;
};

}  // namespace telva_host

#endif
