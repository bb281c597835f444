// European options by simulation, chosen by the advanced preferences: every
// valuation is a Monte Carlo run, with the progress window and Cancel.
#include <array>
#include <string>

#include "core/numbers.h"
#include "options/compute.h"
#include "options/routes.h"
#include "options/simulation_run.h"

namespace tvx {

namespace {

// Keeps the Compute button disabled while a simulation waits in the event
// loop: a second run started from there would reset the shared generator
// under the first one.
class ComputeLock {
public:
    explicit ComputeLock(RouteContext& cx) : cx_(cx) { set(false); }
    ~ComputeLock() { set(true); }
    ComputeLock(const ComputeLock&) = delete;
    ComputeLock& operator=(const ComputeLock&) = delete;

private:
    void set(bool enabled) {
        cx_.main.cmdCompute_enabled = enabled;
        cx_.ui.refresh(Window::Main);
    }
    RouteContext& cx_;
};

}  // namespace

void monte_carlo_route(RouteContext& cx, OptionTerms terms, const Simulation& simulate) {
    const SimulationSetup setup = simulation_setup(cx.main);
    Pacifier& pac = cx.pacifier;
    UserInterface& ui = cx.ui;
    ComputeLock lock(cx);

    const int group = cx.main.optPrice ? 6 : 2;
    SimulationRun run(simulate, setup, group, mc_steps(terms.t), [&] {
        ui.yield();
        if (cx.main.unloaded) throw Abandoned{};
    });
    const Valuation routine = run.routine();

    if (cx.main.optPrice) {
        terms.sigma = read_volatility(cx.main);
        progress_message(ui, pac, compute_text::initializing);
        progress_show(ui, pac);
        const auto s = sensitivities(routine, terms, [&](int k) {
            progress_message(ui, pac, compute_text::after_valuation[static_cast<std::size_t>(k - 1)]);
            return k == 6 || !cancel_requested(pac);  // once the sixth has run, it completes
        });
        progress_hide(ui, pac);
        // The value's own run is the first of the six.
        if (s) report_value(cx, *s, standard_error_line(run.reference_stats()));
        return;
    }

    progress_message(ui, pac, compute_text::initializing_search);
    progress_show(ui, pac);
    const double price = parse_number(cx.main.qqq2);
    SearchVariant variant = search_variant(routine, SlopeGuard::AtLeast, kAppTitle);
    variant.cancel_requested = [&] { return cancel_requested(pac); };
    variant.after_step = [&](std::int16_t n, double change) {
        progress_message(ui, pac, compute_text::search_iteration + std::to_string(n) + " is " + general_text(change));
    };
    const SearchResult result = implied_vol(variant, price, terms);
    progress_hide(ui, pac);
    report_search(cx, result, variant.success_title);
}

}  // namespace tvx
