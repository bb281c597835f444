#include "cli/expiry_dates.h"

#include "cli/cli_ui.h"
#include "cli/window_command.h"
#include "core/numbers.h"

namespace tvx::cli {

namespace {

const WindowOptions<ExpiryDate>& date_options() {
    static const WindowOptions<ExpiryDate> options(kExpiryFields, ExpiryDate{});
    return options;
}

}  // namespace

ExpiryDate request_dates(const Request& r) {
    ExpiryDate d;
    if (r.command->dates_field >= 0) date_options().bind(r, static_cast<std::size_t>(r.command->dates_field), d);
    return d;
}

CommandSpec with_expiry_dates(CommandSpec c) {
    const int time = field_index(c, "time");
    c.dates_field = field_index(c, kExpiryFields[0].option);
    if (time < 0 || c.dates_field >= 0) return c;
    c.dates_field = static_cast<int>(c.fields.size());
    for (Field& f : date_options().fields(ExpiryDate{})) c.fields.push_back(std::move(f));
    c.run = [run = std::move(c.run), time, expiry = static_cast<std::size_t>(c.dates_field)](const Request& r) {
        if (r[expiry].empty()) return run(r);  // the life as typed
        const ExpiryDate d = request_dates(r);
        CliUi ui;
        const std::optional<double> years = expiry_years(d, local_now(), ui, Window::Main);
        if (!years) return outcome_of(ui);
        Request dated = r;
        dated.values[static_cast<std::size_t>(time)] = exact_text(*years);
        Outcome o = run(dated);
        o.life_years = *years;
        return o;
    };
    return c;
}

}  // namespace tvx::cli
