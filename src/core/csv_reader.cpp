#include "core/csv_reader.h"

#include <algorithm>

namespace tvx {

namespace {
constexpr int kEnd = -1;
constexpr std::size_t kBlock = 1 << 16;
}  // namespace

CsvReader::CsvReader(std::istream& in) : in_(in), buffer_(kBlock) {}

void CsvReader::fill() {
    at_ = 0;
    end_ = 0;
    if (!in_) return;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    end_ = static_cast<std::size_t>(in_.gcount());
}

int CsvReader::peek() {
    if (at_ == end_) fill();
    return at_ == end_ ? kEnd : static_cast<unsigned char>(buffer_[at_]);
}

int CsvReader::get() {
    const int c = peek();
    if (c != kEnd) ++at_;
    return c;
}

void CsvReader::skip_line() {
    for (int c = get(); c != kEnd; c = get()) {
        if (c == '\n') break;
        if (c == '\r') {
            if (peek() == '\n') get();
            break;
        }
    }
    ++line_;
}

void CsvReader::skip_byte_order_mark() {
    started_ = true;
    static constexpr char kMark[] = "\xEF\xBB\xBF";
    if (peek() != kEnd && end_ - at_ >= 3 && std::equal(kMark, kMark + 3, buffer_.data() + at_)) at_ += 3;
}

void CsvReader::read_quoted(std::string& cell, CsvRecord& record) {
    for (;;) {
        const int c = get();
        if (c == kEnd) {
            record.error = kUnbalancedQuote;
            return;
        }
        if (c == '"') {
            if (peek() != '"') return;
            get();
        } else if (c == '\n') {
            ++line_;
        }
        cell += static_cast<char>(c);
    }
}

// The record's next cell, emptied; cells keep their storage from one
// record to the next, so a long file reads without allocating.
namespace {

std::string& next_cell(CsvRecord& record, std::size_t& count) {
    if (count == record.cells.size()) record.cells.emplace_back();
    std::string& cell = record.cells[count++];
    cell.clear();
    return cell;
}

}  // namespace

bool CsvReader::next(CsvRecord& record) {
    if (!started_) skip_byte_order_mark();
    for (;;) {
        record.error.clear();
        if (peek() == kEnd) {
            record.cells.clear();
            return false;
        }
        record.line = line_;
        std::size_t count = 0;
        std::string* cell = &next_cell(record, count);
        bool quoted = false;  // the record has a quoted field: not an empty line
        bool at_start = true;
        for (;;) {
            int c = get();
            if (c == '"' && at_start) {
                quoted = true;
                read_quoted(*cell, record);
                if (!record.error.empty()) break;
                c = peek();
                if (c != ',' && c != '\r' && c != '\n' && c != kEnd) {
                    record.error = kTextAfterQuote;
                    record.cells.resize(count);
                    skip_line();
                    return true;
                }
                continue;
            }
            at_start = false;
            if (c == ',') {
                cell = &next_cell(record, count);
                at_start = true;
                continue;
            }
            if (c == '\r' || c == '\n' || c == kEnd) {
                if (c == '\r' && peek() == '\n') get();
                if (c != kEnd) ++line_;
                break;
            }
            *cell += static_cast<char>(c);
            // The rest of a plain field in the buffer at once.
            std::size_t run = at_;
            while (run < end_ && buffer_[run] != ',' && buffer_[run] != '\r' && buffer_[run] != '\n') ++run;
            cell->append(buffer_.data() + at_, run - at_);
            at_ = run;
        }
        record.cells.resize(count);
        const bool blank = count == 1 && record.cells[0].empty() && !quoted && record.error.empty();
        if (!blank) return true;
    }
}

}  // namespace tvx
