// European options by simulation, chosen by the advanced preferences: every
// valuation is a Monte Carlo run, with the progress window and Cancel.
#include <array>
#include <string>

#include "core/numbers.h"
#include "options/compute.h"
#include "options/routes.h"

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
    const double rho = parse_number(cx.main.cor);
    const std::int16_t itype = cx.main.srate ? 1 : 0;
    const std::int16_t vtype = cx.main.svol ? 1 : 0;
    Pacifier& pac = cx.pacifier;
    UserInterface& ui = cx.ui;
    ComputeLock lock(cx);

    // Every valuation replays the same draws, but the noise of a bumped
    // valuation only cancels against the one it is compared with when both
    // simulate the same pairs: left to its own stopping rule, a bumped run
    // may take a batch more or less, and that difference divided by a
    // thousandth of the input swamps the result (a Gamma of 5 where 0.02 is
    // right). So the first valuation of each group (the value among the six,
    // V in every search iteration) stops by its standard error and the
    // others run exactly its number of batches.
    const int group = cx.main.optPrice ? 6 : 2;
    int valuations = 0;
    BatchCount batches_run = 0;
    BatchCount reference_batches = 0;
    const BatchYield yield = [&] {
        ++batches_run;
        ui.yield();
        if (cx.main.unloaded) throw Abandoned{};
    };
    // Every path takes the steps of the time as typed, each of them the
    // valuation's own time over that count: the valuation with the time
    // bumped then replays the same draws over a life a thousandth shorter,
    // and its difference from the value is the Theta of the draws, not the
    // jump of a step more or less (or none at all).
    const Valuation routine = [&](const OptionTerms& o) {
        const bool reference = valuations++ % group == 0;
        batches_run = 0;
        const double v =
            simulate(o, itype, rho, vtype, yield, reference ? BatchCount{0} : reference_batches, mc_steps(terms.t));
        if (reference) reference_batches = batches_run;
        return v;
    };

    if (cx.main.optPrice) {
        terms.sigma = read_volatility(cx.main);
        progress_message(ui, pac, compute_text::initializing);
        progress_show(ui, pac);
        const auto s = sensitivities(routine, terms, [&](int k) {
            progress_message(ui, pac, compute_text::after_valuation[static_cast<std::size_t>(k - 1)]);
            return k == 6 || !cancel_requested(pac);  // once the sixth has run, it completes
        });
        progress_hide(ui, pac);
        if (s) {
            report_value(cx, *s);
        }
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
