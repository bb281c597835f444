#include "cli/batch.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/report.h"
#include "core/csv_reader.h"
#include "core/thread_pool.h"

namespace tvx::cli {

namespace {

// The line under a header the batch cannot use, as under every usage error.
constexpr const char* kHeaderHint =
    "Usage: a header row with a 'command' column and the commands' option names without the dashes; see "
    "tarvenix-cli batch --help or tarvenix-cli COMMAND --help";

// What the header says: the command column and, for every command, the
// column of each of its fields (or -1).
struct Plan {
    std::vector<std::string> header;
    std::size_t command_column = 0;
    std::vector<std::vector<int>> columns;  // by command, by field
    bool json = false;
    std::function<Outcome(const Request&)> run;
};

bool known_column(const std::string& name) {
    for (const auto& c : commands())
        if (field_index(c, name) >= 0) return true;
    return false;
}

// Levenshtein distance: letters inserted, left out or changed.
std::size_t edits(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The unknown column's message, naming the known column it is most
// likely a slip for (two edits at most), if there is one.
std::string unknown_column(const std::string& name) {
    std::string best = "command";
    std::size_t fewest = edits(name, best);
    for (const auto& c : commands())
        for (const auto& f : c.fields)
            if (const std::size_t n = edits(name, f.name); n < fewest) fewest = n, best = f.name;
    std::string why = "unknown column '" + name + "'";
    if (fewest <= 2 && fewest < name.size()) why += " (did you mean '" + best + "'?)";
    return why;
}

// The plan, or the reason the header cannot be used.
std::optional<Plan> plan_of(const CsvRecord& header, std::string& why) {
    Plan p;
    p.header = header.cells;
    bool has_command = false;
    for (std::size_t i = 0; i < p.header.size(); ++i) {
        const std::string& name = p.header[i];
        if (std::count(p.header.begin(), p.header.end(), name) > 1) {
            why = "the column '" + name + "' appears more than once";
            return std::nullopt;
        }
        if (name == "command") {
            p.command_column = i, has_command = true;
        } else if (!known_column(name)) {
            why = unknown_column(name);
            return std::nullopt;
        }
    }
    if (!has_command) {
        why = "the header has no 'command' column";
        return std::nullopt;
    }
    for (const auto& c : commands()) {
        std::vector<int> cols;
        for (const auto& f : c.fields) {
            const auto at = std::find(p.header.begin(), p.header.end(), f.name);
            cols.push_back(at == p.header.end() ? -1 : static_cast<int>(at - p.header.begin()));
        }
        p.columns.push_back(std::move(cols));
    }
    return p;
}

struct Row {
    CsvRecord record;
    std::size_t number = 0;  // data rows from 1
    std::optional<Request> request;
    Outcome outcome;
    bool deferred = false;  // runs on the main thread, in order
    std::string text;       // the formatted output line
};

// The request of a row, or the outcome that refuses it. The row's request
// from an earlier chunk keeps its storage when the command is the same, and
// the values of the fields the header has no column for: their defaults,
// which no row changes.
void prepare(const Plan& plan, Row& row) {
    const CsvRecord& rec = row.record;
    const auto refuse = [&row, &rec](const std::string& why) {
        row.request.reset();
        row.outcome = usage_outcome(why + " (line " + std::to_string(rec.line) + ")");
    };
    if (!rec.error.empty()) return refuse(rec.error);
    if (rec.cells.size() > plan.header.size()) {
        return refuse("malformed CSV: " + std::to_string(rec.cells.size()) + " cells where the header has " +
                      std::to_string(plan.header.size()));
    }
    static const std::string kNoName;
    const std::string& name = plan.command_column < rec.cells.size() ? rec.cells[plan.command_column] : kNoName;
    const CommandSpec* spec = find_command(name);
    if (!spec) return refuse("unknown command '" + name + "'");
    if (!row.request || row.request->command != spec) row.request = default_request(*spec);
    Request& rq = *row.request;
    rq.lines = plan.json;  // the CSV has no column for them
    const std::vector<int>& cols = plan.columns[static_cast<std::size_t>(spec - commands().data())];
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (cols[i] < 0) continue;
        const bool given = static_cast<std::size_t>(cols[i]) < rec.cells.size() &&
                           !rec.cells[static_cast<std::size_t>(cols[i])].empty();
        if (!given) {
            rq.values[i] = spec->fields[i].default_text;
            continue;
        }
        const std::string& cell = rec.cells[static_cast<std::size_t>(cols[i])];
        if (spec->fields[i].kind == FieldKind::Flag && !flag_value(cell))
            return refuse("the column '" + spec->fields[i].name + "' takes 1 or 0");
        rq.values[i] = cell;
    }
    row.deferred = spec->shares_generator(rq);
}

void format(const Plan& plan, Row& row) {
    std::string& out = row.text;
    out.clear();
    out.reserve(320);
    if (plan.json) {
        nlohmann::ordered_json j;
        if (row.request) {
            j = json_of(*row.request, row.outcome);
        } else {
            j["messages"] = message_lines(row.outcome);
            j["status"] = row.outcome.status;
        }
        j["row"] = row.number;
        out = json_text(j);
    } else {
        for (std::size_t c = 0; c < plan.header.size(); ++c) {
            if (c) out += ',';
            if (c < row.record.cells.size()) append_csv_field(out, row.record.cells[c]);
        }
        append_result_cells(out, row.outcome);
    }
    out += '\n';
}

// Runs a prepared row and formats it. Once formatted only its status is
// needed: the thread that made its outcome frees it, which the allocator
// does far faster than a free from another thread.
void run_row(const Plan& plan, Row& row) {
    if (row.request) row.outcome = plan.run(*row.request);
    format(plan, row);
    const int status = row.outcome.status;
    row.outcome = Outcome{};
    row.outcome.status = status;
}

// Prepares the row and runs it, unless it must wait for the main thread.
void work(const Plan& plan, Row& row) {
    prepare(plan, row);
    if (!row.deferred) run_row(plan, row);
}

// A chunk of rows that the pool's threads work through beside the caller,
// so that the caller can read the next chunk and write the last one
// meanwhile. The helpers take the rows from the front, the caller from the
// back, so that each thread keeps working on much the same rows from one
// chunk to the next, their storage in its own cache.
class Workers {
public:
    // Without helpers no thread is started: a process that never starts
    // one allocates faster.
    Workers(const Plan& plan, unsigned helpers) : plan_(plan), helpers_(helpers) {
        if (helpers) reserve_pool_threads(helpers);
    }

    // Hands the first `count` rows to the helpers.
    void start(std::vector<Row>& rows, std::size_t count) {
        rows_ = &rows;
        ends_.store(count);
        if (helpers_) team_.emplace(helpers_, [this] { drain(false); });
    }
    // Works on the rows beside the helpers until none is left, then waits
    // for the helpers' last ones.
    void finish() {
        drain(true);
        if (team_) team_->join();
        team_.reset();
    }

private:
    static constexpr std::uint64_t kGrain = 32;

    // The next rows [from, to) from the front or the back of those left;
    // false when none is left. The rows left are [ends_ >> 32, ends_ & 2^32 - 1).
    bool take(bool back, std::size_t& from, std::size_t& to) {
        std::uint64_t ends = ends_.load();
        for (;;) {
            std::uint64_t first = ends >> 32, last = ends & 0xffffffffu;
            if (first >= last) return false;
            if (back) {
                to = last;
                from = last = last - std::min(kGrain, last - first);
            } else {
                from = first;
                to = first = first + std::min(kGrain, last - first);
            }
            if (ends_.compare_exchange_weak(ends, first << 32 | last)) return true;
        }
    }

    void drain(bool back) {
        std::size_t from = 0, to = 0;
        while (take(back, from, to))
            for (std::size_t i = from; i < to; ++i) work(plan_, (*rows_)[i]);
    }

    const Plan& plan_;
    unsigned helpers_;
    std::vector<Row>* rows_ = nullptr;
    std::atomic<std::uint64_t> ends_{0};
    std::optional<Team> team_;
};

// Reads up to rows.size() records into rows; the number read.
std::size_t read_chunk(CsvReader& reader, std::vector<Row>& rows, std::size_t& number) {
    std::size_t count = 0;
    while (count < rows.size() && reader.next(rows[count].record)) {
        Row& r = rows[count++];
        r.number = ++number;
        r.outcome.status = kExitOk;
        r.deferred = false;
    }
    return count;
}

// The rows that share the generators, in order on this thread.
void run_deferred(const Plan& plan, std::vector<Row>& rows, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (rows[i].deferred) run_row(plan, rows[i]);
    }
}

}  // namespace

int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchSettings& settings) {
    CsvReader reader(in);
    CsvRecord header;
    std::string why = "the input has no header row";
    std::optional<Plan> plan;
    if (reader.next(header)) plan = header.error.empty() ? plan_of(header, why) : (why = header.error, std::nullopt);
    if (!plan) {
        err << "tarvenix-cli: batch: " << why << "\n" << kHeaderHint << "\n";
        return kExitUsage;
    }
    plan->json = settings.json;
    plan->run = settings.run;
    if (!settings.json) {
        std::string line;
        for (std::size_t c = 0; c < plan->header.size(); ++c) {
            if (c) line += ',';
            append_csv_field(line, plan->header[c]);
        }
        for (const auto& name : result_columns()) line += (line.empty() ? "" : ",") + name;
        out << line << '\n';
    }
    const unsigned jobs = settings.jobs ? settings.jobs : processors();
    // Two chunks in turn: while the workers run one, this thread reads the
    // next into the other, and then writes the one they finished.
    const std::size_t chunk = std::max<std::size_t>(1, settings.chunk);
    std::vector<Row> first(chunk), second(chunk);
    std::vector<Row>* running = &first;  // the workers hold on to the vector itself
    std::vector<Row>* reading = &second;
    Workers workers(*plan, jobs - 1);
    std::size_t number = 0;
    int status = kExitOk;
    std::string block;  // a chunk's output, written at once
    std::size_t count = read_chunk(reader, *running, number);
    if (count) workers.start(*running, count);
    while (count) {
        const std::size_t next_count = read_chunk(reader, *reading, number);
        workers.finish();
        run_deferred(*plan, *running, count);
        if (next_count) workers.start(*reading, next_count);
        block.clear();
        for (std::size_t i = 0; i < count; ++i) {
            block += (*running)[i].text;
            if ((*running)[i].outcome.status != kExitOk) status = kExitMessage;
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        out.flush();
        std::swap(running, reading);
        count = next_count;
    }
    return status;
}

}  // namespace tvx::cli
