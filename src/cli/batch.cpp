#include "cli/batch.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_ui.h"
#include "cli/commands.h"
#include "cli/csv.h"
#include "cli/report.h"

namespace tvx::cli {

namespace {

// What the header says: the command column and, for every command, the
// column of each of its fields (or -1).
struct Plan {
    std::vector<std::string> header;
    std::size_t command_column = 0;
    std::vector<std::vector<int>> columns;  // by command, by field
    bool json = false;
};

bool known_column(const std::string& name) {
    for (const auto& c : commands())
        if (field_index(c, name) >= 0) return true;
    return false;
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
            why = "unknown column '" + name + "'";
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

// The request of a row, or the outcome that refuses it.
void prepare(const Plan& plan, Row& row) {
    const CsvRecord& rec = row.record;
    const auto where = [&rec] { return " (line " + std::to_string(rec.line) + ")"; };
    if (!rec.error.empty()) return void(row.outcome = usage_outcome(rec.error + where()));
    if (rec.cells.size() > plan.header.size()) {
        return void(row.outcome =
                        usage_outcome("malformed CSV: " + std::to_string(rec.cells.size()) +
                                      " cells where the header has " + std::to_string(plan.header.size()) + where()));
    }
    const std::string name = plan.command_column < rec.cells.size() ? rec.cells[plan.command_column] : "";
    const CommandSpec* spec = find_command(name);
    if (!spec) return void(row.outcome = usage_outcome("unknown command '" + name + "'" + where()));
    Request rq = default_request(*spec);
    const std::vector<int>& cols = plan.columns[static_cast<std::size_t>(spec - commands().data())];
    for (std::size_t i = 0; i < cols.size(); ++i) {
        if (cols[i] < 0 || static_cast<std::size_t>(cols[i]) >= rec.cells.size()) continue;
        const std::string& cell = rec.cells[static_cast<std::size_t>(cols[i])];
        if (cell.empty()) continue;
        if (spec->fields[i].kind == FieldKind::Flag && cell != "1" && cell != "0")
            return void(row.outcome =
                            usage_outcome("the column '" + spec->fields[i].name + "' takes 1 or 0" + where()));
        rq.values[i] = cell;
    }
    row.deferred = spec->shares_generator(rq);
    row.request = std::move(rq);
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
        out = j.dump();
    } else {
        for (std::size_t c = 0; c < plan.header.size(); ++c) {
            if (c) out += ',';
            if (c < row.record.cells.size()) append_csv_field(out, row.record.cells[c]);
        }
        append_result_cells(out, row.outcome);
    }
    out += '\n';
}

// Prepares the row and runs it, unless it must wait for the main thread.
void work(const Plan& plan, Row& row) {
    prepare(plan, row);
    if (row.deferred) return;
    if (row.request) row.outcome = run_request(*row.request);
    format(plan, row);
}

// Runs the rows that may run anywhere on all the threads, then the others
// in order on this one.
void run_chunk(const Plan& plan, std::vector<Row>& rows, std::size_t count, unsigned jobs) {
    std::atomic<std::size_t> next{0};
    constexpr std::size_t kGrain = 32;
    const auto worker = [&] {
        for (;;) {
            const std::size_t from = next.fetch_add(kGrain);
            if (from >= count) return;
            for (std::size_t i = from; i < std::min(count, from + kGrain); ++i) work(plan, rows[i]);
        }
    };
    std::vector<std::thread> helpers;
    const std::size_t wanted = std::min<std::size_t>(jobs, (count + kGrain - 1) / kGrain);
    for (std::size_t k = 1; k < wanted; ++k) helpers.emplace_back(worker);
    worker();
    for (auto& h : helpers) h.join();
    for (std::size_t i = 0; i < count; ++i) {
        if (!rows[i].deferred) continue;
        rows[i].outcome = run_request(*rows[i].request);
        format(plan, rows[i]);
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
        err << "tarvenix-cli: batch: " << why << "\n";
        return kExitUsage;
    }
    plan->json = settings.json;
    if (!settings.json) {
        std::string line;
        for (std::size_t c = 0; c < plan->header.size(); ++c) {
            if (c) line += ',';
            append_csv_field(line, plan->header[c]);
        }
        for (const auto& name : result_columns()) line += (line.empty() ? "" : ",") + name;
        out << line << '\n';
    }
    const unsigned jobs = settings.jobs ? settings.jobs : std::max(1u, std::thread::hardware_concurrency());
    std::vector<Row> rows(std::max<std::size_t>(1, settings.chunk));
    std::size_t number = 0;
    int status = kExitOk;
    for (;;) {
        std::size_t count = 0;
        while (count < rows.size() && reader.next(rows[count].record)) {
            Row& r = rows[count++];
            r.number = ++number;
            r.request.reset();
            r.outcome = Outcome{};
            r.deferred = false;
        }
        if (count == 0) break;
        run_chunk(*plan, rows, count, jobs);
        for (std::size_t i = 0; i < count; ++i) {
            out << rows[i].text;
            if (rows[i].outcome.status != kExitOk) status = kExitMessage;
        }
        out.flush();
    }
    return status;
}

}  // namespace tvx::cli
