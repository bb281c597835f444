// The Compute command on the closed-form route, headless. Reference lines
// for the defaults come from the documented example (value 2.0694, Delta
// 0.3775, Gamma 0.0446, Theta about 3.65, Vega about 16.0, Rho about 10.29),
// with the last digits from the same six valuations of the documented
// closed form evaluated independently in double precision.
#include <gtest/gtest.h>

#include "support/compute_fixture.h"
#include "support/decimal_comma.h"

namespace tvx::test {
namespace {

using Kind = UiEvent::Kind;

class Compute : public ComputeFixture {};

TEST_F(Compute, DefaultsShowSixLinesInTheOutputWindow) {
    compute();
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"The option value is 2.0694 dollars", "Delta is 0.3775", "Gamma is 0.0446",
                                        "Theta is 3.6512", "Vega is 15.9996", "Rho is 10.289"}));
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(ui.count(Kind::Show, Window::Output), 1);
    // Busy after validation, normal again before the window is shown.
    ASSERT_FALSE(ui.events.empty());
    EXPECT_EQ(ui.events.front().kind, Kind::Pointer);
    EXPECT_EQ(ui.events.front().pointer, Pointer::Busy);
    bool normal_before_show = false;
    for (const auto& e : ui.events) {
        if (e.kind == Kind::Pointer) normal_before_show = e.pointer == Pointer::Normal;
        if (e.kind == Kind::Show) break;
    }
    EXPECT_TRUE(normal_before_show);
    EXPECT_EQ(ui.pointer, Pointer::Normal);
    EXPECT_FALSE(ui.shown(Window::Pacifier));
}

TEST_F(Compute, PutRefreshesTheSameOutputWindow) {
    compute();
    main.optCall = false;
    compute();
    // Put: negative Delta and Rho, the same Gamma and Vega as the call.
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"The option value is 5.2722 dollars", "Delta is -0.6121", "Gamma is 0.0446",
                                        "Theta is 2.0821", "Vega is 15.9996", "Rho is -20.9994"}));
    EXPECT_EQ(ui.count(Kind::Show, Window::Output), 2);
}

TEST_F(Compute, EveryFailingTestShowsItsOwnBoxInOrder) {
    main.irate = "0";
    main.strike = "0";
    main.current = "-5";
    main.time = "0";
    compute();
    EXPECT_EQ(ui.box_texts(),
              (std::vector<std::string>{"Interest Rates must be positive", "Strike Price must be positive",
                                        "Spot Price must be positive", "Time to Maturity must be positive"}));
    for (const auto& box : ui.boxes()) {
        EXPECT_EQ(box.title, "Tarvenix");
        EXPECT_EQ(box.icon, Icon::Exclamation);
        EXPECT_EQ(box.buttons, Buttons::Ok);
    }
    EXPECT_EQ(out.Label1, "Label1");  // nothing computed
    EXPECT_EQ(ui.pointer, Pointer::Normal);
    // After the last box, the focus goes to the field of the first test.
    ASSERT_EQ(ui.events.back().kind, Kind::Focus);
    EXPECT_EQ(ui.events.back().window, Window::Main);
    EXPECT_EQ(ui.events.back().text, "irate");
    EXPECT_EQ(ui.count(Kind::Focus, Window::Main), 1);
}

TEST_F(Compute, ValidationTestsAreIndependent) {
    main.current = "0";
    compute();
    EXPECT_EQ(ui.box_texts(), std::vector<std::string>{"Spot Price must be positive"});
}

TEST_F(Compute, FocusGoesToTheFirstFailedField) {
    // Each field alone, and the later fields of the order behind an earlier one.
    const std::vector<std::pair<std::string MainWindow::*, std::string>> fields = {{&MainWindow::irate, "irate"},
                                                                                   {&MainWindow::strike, "strike"},
                                                                                   {&MainWindow::current, "current"},
                                                                                   {&MainWindow::time, "time"}};
    for (std::size_t first = 0; first < fields.size(); ++first) {
        for (std::size_t last = first; last < fields.size(); ++last) {
            MainWindow w;
            RecordingUi r;
            w.*fields[first].first = "0";
            w.*fields[last].first = "-1";
            cmdCompute_Click(w, out, pac, r);
            ASSERT_FALSE(r.events.empty());
            EXPECT_EQ(r.events.back().kind, Kind::Focus);
            EXPECT_EQ(r.events.back().text, fields[first].second) << "failed from " << first << " to " << last;
        }
    }
}

TEST_F(Compute, ValidInputLeavesTheFocusAlone) {
    compute();
    EXPECT_EQ(ui.count(Kind::Focus, Window::Main), 0);
    main.qqq = "1e200";  // the variance overflows: no field to point at
    compute();
    ASSERT_EQ(ui.box_texts().size(), 1u);
    EXPECT_EQ(ui.count(Kind::Focus, Window::Main), 0);
}

TEST_F(Compute, AfterTheGenericBoxTheFirstFieldThatIsNoNumberTakesTheFocus) {
    const auto focus_after = [this](void (*set)(MainWindow&)) {
        MainWindow w;
        set(w);
        RecordingUi r;
        cmdCompute_Click(w, out, pac, r);
        EXPECT_EQ(r.box_texts(), std::vector<std::string>{kGenericError});
        return r.events.back().kind == Kind::Focus && r.events.back().window == Window::Main ? r.events.back().text
                                                                                             : std::string("-");
    };
    EXPECT_EQ(focus_after([](MainWindow& w) { w.strike = "abc"; }), "strike");
    // In reading order, whichever the command converted first.
    EXPECT_EQ(focus_after([](MainWindow& w) { w.cor = "x", w.qqq = ""; }), "qqq");
    EXPECT_EQ(focus_after([](MainWindow& w) { w.irate = "1,5", w.current = "1e999"; }), "current");
    EXPECT_EQ(focus_after([](MainWindow& w) { w.cor = "0..5"; }), "cor");
    // The option price counts only when the implied volatility is asked for.
    EXPECT_EQ(focus_after([](MainWindow& w) { w.optPrice = false, w.qqq = "abc", w.qqq2 = "?"; }), "qqq2");
}

TEST_F(Compute, UnderADecimalCommaEveryFieldTakesItAndTwoSeparatorsAreTheGenericError) {
    DecimalCommaLocale comma;
    // The defaults written with commas give the defaults' lines.
    main.current = "60,0", main.strike = "64,0", main.dividend = "2,1", main.time = "0,5", main.irate = "4,5";
    main.qqq = "0,2", main.cor = "0,0";
    compute();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(out.Label1, "The option value is 2.0694 dollars");
    EXPECT_EQ(out.Label6, "Rho is 10.289");
    // A thousands separator is never guessed: the generic box, and the
    // field at fault takes the focus.
    RecordingUi r;
    main.strike = "1.064,0";
    cmdCompute_Click(main, out, pac, r);
    EXPECT_EQ(r.box_texts(), std::vector<std::string>{kGenericError});
    ASSERT_EQ(r.events.back().kind, Kind::Focus);
    EXPECT_EQ(r.events.back().text, "strike");
}

TEST_F(Compute, NegativeDividendIsAccepted) {
    main.dividend = "-1";
    compute();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(out.Label1.rfind("The option value is ", 0), 0u);
}

TEST_F(Compute, BadTextEndsInTheGenericError) {
    for (std::string MainWindow::*field : {&MainWindow::current, &MainWindow::strike, &MainWindow::dividend,
                                           &MainWindow::time, &MainWindow::irate, &MainWindow::qqq}) {
        for (const char* text : {"", "abc", "1,5"}) {
            MainWindow fresh;
            main = fresh;
            ui.events.clear();
            main.*field = text;
            compute();
            expect_generic_error();
        }
    }
}

TEST_F(Compute, BadCorrelationStopsEveryRoute) {
    struct Route {
        bool euro, price, svol;
    };
    for (const Route r : {Route{true, true, false}, Route{true, false, false}, Route{false, true, false},
                          Route{false, false, false}, Route{true, true, true}}) {
        main = MainWindow{};
        ui.events.clear();
        main.optEuro = r.euro;
        main.optPrice = r.price;
        main.svol = r.svol;
        main.cor = "high";
        compute();
        expect_generic_error();
    }
}

TEST_F(Compute, ZeroVolatilityIsTheGenericErrorAndLeavesTheOutputAlone) {
    compute();
    const auto before = lines();
    ui.events.clear();
    main.qqq = "0";
    compute();
    expect_generic_error();
    EXPECT_EQ(lines(), before);
    // The generic path also puts the progress window away (created hidden).
    EXPECT_EQ(ui.count(Kind::Hide, Window::Pacifier), 1);
}

TEST_F(Compute, NegativeVolatilityIsRefusedOnEveryRoute) {
    // Left alone, -0.2 in the closed form gives minus the put's value as the
    // call's: "The option value is -5.2722 dollars".
    for (const bool euro : {true, false}) {
        for (const bool simulated : {false, true}) {
            main = MainWindow{};
            ui.events.clear();
            main.qqq = "-0.2";
            main.optEuro = euro;
            main.svol = simulated;
            main.optCall = false;
            compute();
            expect_generic_error();
        }
    }
}

TEST_F(Compute, LinesOfEarlierTermsAreMarkedUntilTheNextValue) {
    // Nothing to mark before the first value.
    main.irate = "0";
    compute();
    EXPECT_FALSE(out.stale);
    EXPECT_EQ(out.Label1, "Label1");

    main.irate = "4.5";
    compute();
    EXPECT_FALSE(out.stale);
    const std::vector<std::string> first = lines();
    const std::string earlier =
        "From an earlier Compute, for the European call: spot 60.0, strike 64.0, dividend 2.1 %, time 0.5 years, "
        "rate 4.5 %, volatility 0.2";

    // An implied volatility (its result is a box), a failed check and the
    // generic error each leave the lines as they were, marked as earlier.
    const auto after = [this](void (*change)(MainWindow&)) {
        change(main);
        ui.events.clear();
        compute();
        EXPECT_TRUE(out.stale);
        EXPECT_EQ(lines(),
                  (std::vector<std::string>{"The option value is 2.0694 dollars", "Delta is 0.3775", "Gamma is 0.0446",
                                            "Theta is 3.6512", "Vega is 15.9996", "Rho is 10.289"}));
        EXPECT_EQ(ui.count(Kind::Refresh, Window::Output), 1);
        out.stale = false;  // as if fresh again, for the next case
    };
    after([](MainWindow& m) { m.optPrice = false, m.qqq2 = "5"; });
    EXPECT_EQ(earlier_compute_line(out), earlier);
    after([](MainWindow& m) { m.optPrice = true, m.current = "0"; });
    after([](MainWindow& m) { m.current = "x"; });
    after([](MainWindow& m) { m.current = "70", m.qqq = "0"; });  // a volatility of 0 divides by zero
    EXPECT_EQ(earlier_compute_line(out), earlier);

    // The next value is current again, and names its own terms.
    main = MainWindow{};
    main.optEuro = false, main.optCall = false, main.svol = true;
    compute();
    EXPECT_FALSE(out.stale);
    EXPECT_EQ(out.Terms,
              "American put: spot 60.0, strike 64.0, dividend 2.1 %, time 0.5 years, rate 4.5 %, volatility 0.2");
    main = MainWindow{};
    main.srate = true, main.cor = "-0.5";
    EXPECT_EQ(terms_text(main),
              "European call: spot 60.0, strike 64.0, dividend 2.1 %, time 0.5 years, rate 4.5 %, volatility 0.2, "
              "stochastic rates, correlation -0.5");
    EXPECT_NE(lines(), first);
}

TEST_F(Compute, WholeNumbersHaveNoDecimals) {
    // Far out of the money: every result is 0 to four decimals.
    main.current = "1";
    main.strike = "1000";
    compute();
    EXPECT_EQ(lines(), (std::vector<std::string>{"The option value is 0 dollars", "Delta is 0", "Gamma is 0",
                                                 "Theta is 0", "Vega is 0", "Rho is 0"}));
}

TEST_F(Compute, ImpliedVolatilityOfTheDefaults) {
    // Two Newton steps: about 0.2848, then about 0.28462 (change about 0.00017).
    main.optPrice = false;
    main.qqq = "not read on this route";
    compute();
    const UiEvent box = only_box();
    EXPECT_EQ(box.title, "Tarvenix");
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.buttons, Buttons::Ok);
    EXPECT_EQ(box.text, "The implied volatility is 0.2846");
    EXPECT_EQ(ui.pointer, Pointer::Normal);
    EXPECT_FALSE(ui.shown(Window::Output));
}

TEST_F(Compute, ImpliedVolatilityBelowTheLowerBoundFails) {
    // A European put is worth at least 64 e^(-0.0225) - 60 e^(-0.0105) = 3.20:
    // no volatility gives 3.00, and the search heads below zero.
    main.optPrice = false;
    main.optCall = false;
    main.qqq2 = "3.00";
    compute();
    const UiEvent box = only_box();
    EXPECT_EQ(box.title, "Tarvenix");
    EXPECT_EQ(box.icon, Icon::Critical);
    EXPECT_EQ(box.text,
              "There was an error in this computation. Please check your\r"
              "input values and try again.");
}

TEST_F(Compute, ImpliedVolatilityHeadingToZeroFailsInsteadOfReportingZero) {
    // With r = q the call is worth at least (27 - 23) e^(-0.024 * 2.95) = 3.73
    // at any volatility, so no volatility gives 3.43. The search heads down to
    // a volatility below the step 0.00025 and must fail there, not report
    // "The implied volatility is 0".
    main.current = "27";
    main.strike = "23";
    main.dividend = "2.4";
    main.time = "2.95";
    main.irate = "2.4";
    main.optPrice = false;
    main.qqq2 = "3.43";
    for (const bool european : {true, false}) {
        main.optEuro = european;
        ui.events.clear();
        compute();
        const UiEvent box = only_box();
        EXPECT_EQ(box.icon, Icon::Critical) << "European " << european << ": " << box.text;
        EXPECT_EQ(box.text,
                  "There was an error in this computation. Please check your\r"
                  "input values and try again.");
    }
}

TEST_F(Compute, ImpliedVolatilityWithAFlatSlopeIsTheGenericError) {
    // A call price far above the spot sends the first step to a volatility
    // so high that the value no longer moves: the Newton step divides by 0.
    main.optPrice = false;
    main.qqq2 = "1000";
    compute();
    expect_generic_error();
}

TEST_F(Compute, BadOptionPriceIsTheGenericError) {
    main.optPrice = false;
    main.qqq2 = "";
    compute();
    expect_generic_error();
}

}  // namespace
}  // namespace tvx::test
