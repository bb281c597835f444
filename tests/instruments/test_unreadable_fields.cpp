// After the generic box for a text that is not a number, each calculator
// puts the focus into the first such field in its reading order; a fault
// with every field a number leaves the focus where it was.
#include <gtest/gtest.h>

#include "instruments/bonds.h"
#include "instruments/calculator_checks.h"
#include "instruments/convertible.h"
#include "instruments/futures.h"
#include "instruments/warrants.h"

namespace tvx::test {
namespace {

// The field that took the focus after the generic box, or "-" for none.
template <class Model>
std::string focused_after_error(Model w, void (*set)(Model&)) {
    set(w);
    RecordingUi ui;
    Command1_Click(w, ui);
    expect_generic_error(ui);
    const UiEvent& last = ui.events.back();
    return last.kind == UiEvent::Kind::Focus ? last.text : "-";
}

TEST(UnreadableField, WarrantsAndFutures) {
    using W = WarrantsWindow;
    EXPECT_EQ(focused_after_error<W>({}, [](W& w) { w.warrant = "abc"; }), "warrant");
    EXPECT_EQ(focused_after_error<W>({}, [](W& w) { w.time = "", w.exercise = "1 000"; }), "exercise");
    using F = FuturesWindow;
    // Strike-like fields of the right column come after the left column.
    EXPECT_EQ(focused_after_error<F>({}, [](F& f) { f.delivery = "abc", f.ir = "0"; }), "delivery");
    EXPECT_EQ(focused_after_error<F>({}, [](F& f) { f.pvalue = "x", f.spot = "y"; }), "spot");
    EXPECT_EQ(focused_after_error<F>({}, [](F& f) { f.spot = "1e15"; }), "-");  // a rounding overflow
}

TEST(UnreadableField, BondWindows) {
    using S = StraightBondsWindow;
    EXPECT_EQ(focused_after_error<S>({}, [](S& s) { s.ir = "five"; }), "ir");
    EXPECT_EQ(focused_after_error<S>({}, [](S& s) { s.ttm = "-", s.ir = "?"; }), "ttm");
    using C = ConvertibleBondsWindow;
    EXPECT_EQ(focused_after_error<C>({}, [](C& c) { c.del = "2%"; }), "del");
    EXPECT_EQ(focused_after_error<C>({}, [](C& c) { c.vol = "", c.conr = "ten"; }), "conr");
}

}  // namespace
}  // namespace tvx::test
