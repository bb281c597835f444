// The bounds check of the American route, the last guard of every value it
// shows: values that no American option can have end in the generic error
// (with the grid forced, where the exercise-boundary method does not take
// over); every sound value passes unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "core/fault.h"
#include "core/numbers.h"
#include "options/american_bounds.h"
#include "options/routes.h"
#include "pricing/american.h"
#include "pricing/testing.h"
#include "support/american_window.h"

namespace tvx::test {
namespace {

using Typed = TypedAmerican;

class AmericanBounds : public AmericanWindowFixture {
protected:
    void reset() { ui = RecordingUi{}, ui.pacifier = &pac, out = OutputWindow{}; }
    // With the grid forced (the command line's --method grid) nothing else
    // values a row the bound check refuses.
    void compute_on_grid() { compute_with(AmericanMethod::Grid); }
};

// Values the solver gives that break a bound (from an independent rendering
// of the scheme): above the strike for the put; below the European value for
// the others (0 against 1128.38; 0.5873 against 0.6434; 54.5475 against
// 55.9104).
const Typed broken[] = {
    {"19.1", "0.097", "0.28", "5.877", "4.366", "19.4", false},
    {"21.4533", "0.0459574", "0.2087", "1676.31", "4538.98", "10.5258", false},
    {"25.6133", "0.85533", "0.70352", "0.25974", "0.21932", "-4.26936", true},
    {"8.01467", "2.36093", "0.159531", "0.769949", "55.3174", "-0.134064", true},
};

template <class Check>
void on_every_path(Check check) {
    for (const SolverPath path : solver_usa_paths()) {
        SCOPED_TRACE(std::string("path ") + solver_path_name(path));
        pin_solver_usa_path(path);
        check();
    }
    unpin_solver_usa_path();
}

TEST_F(AmericanBounds, ValuesNoAmericanOptionCanHaveAreTheGenericError) {
    // With the grid forced (the command line's --method grid) nothing else
    // values these rows: the bound check refuses them.
    on_every_path([&] {
        for (const Typed& a : broken) {
            SCOPED_TRACE(std::string("strike ") + a.strike);
            reset();
            enter(a);
            compute_on_grid();
            expect_generic_error();
        }
    });
}

TEST_F(AmericanBounds, TheSearchChecksEveryValuation) {
    // The first valuation of the search, at 0.25, lies outside the bounds
    // for the third row; the search on the grid must not go on with it.
    const Typed& a = broken[2];
    OptionTerms o = terms_of(a);
    o.sigma = kSearchStart;
    const double v = solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
    ASSERT_THROW(checked_american_value(v, o), RuntimeError);
    on_every_path([&] {
        reset();
        enter(a);
        main.optPrice = false;
        main.qqq2 = "0.6434";
        compute_on_grid();
        expect_generic_error();
    });
}

TEST_F(AmericanBounds, SoundValuesPassUnchanged) {
    // The window's defaults as a put and as a call with its yield; the put
    // at S = K = 100 over a year (about 6.09); the put at 50/50 (about 3.46);
    // a call with a small yield at S = K = 100.
    const Typed sound[] = {
        {"0.5", "0.2", "4.5", "64.0", "60.0", "2.1", false}, {"0.5", "0.2", "4.5", "64.0", "60.0", "2.1", true},
        {"1", "0.2", "5", "100", "100", "0", false},         {"0.25", "0.4", "10", "50", "50", "0", false},
        {"1", "0.2", "5", "100", "100", "0.5", true},
    };
    on_every_path([&] {
        for (const Typed& a : sound) {
            SCOPED_TRACE(std::string("spot ") + a.spot + (a.call ? " call" : " put"));
            reset();
            enter(a);
            compute();
            const OptionTerms o = terms_of(a);
            const double v = solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype);
            EXPECT_TRUE(ui.boxes().empty());
            EXPECT_EQ(out.Label1, "The option value is " + result_text(v) + " dollars");
            // The check hands the value on as it is, bit for bit.
            EXPECT_EQ(checked_american_value(v, o), v);
        }
    });
    EXPECT_NEAR(solver_usa(1, 0.2, 0.05, 100, 100, 0, 1), 6.09, 0.03);
    EXPECT_NEAR(solver_usa(0.25, 0.4, 0.1, 50, 50, 0, 1), 3.46, 0.01);
}

TEST_F(AmericanBounds, ACallOnANegativeYieldMayBeWorthMoreThanTheAsset) {
    // With a yield of -5 % the holder of the asset pays to hold it, and a
    // call struck at 10 on an asset at 100 is worth about its forward
    // intrinsic value S e^(-qt) - K e^(-rt) = 110.5171 - 9.0484 = 101.4687 over
    // two years (d2 is above 8), more than the asset itself.
    enter({"2", "0.2", "5", "10", "100", "-5", true});
    compute();
    ASSERT_TRUE(ui.boxes().empty());
    const double v = solver_usa(2, 0.2, 0.05, 10, 100, -0.05, 0);
    EXPECT_NEAR(v, 101.4687, 0.01);
    EXPECT_EQ(out.Label1, "The option value is " + result_text(v) + " dollars");
}

TEST(AmericanBoundsCheck, EachBoundWithItsAllowance) {
    // A put struck at 100 on an asset at 80, a year at 20 % and 5 %: at
    // least its exercise value 20, at most its strike.
    const OptionTerms put{1, 0.2, 0.05, 100, 80, 0, 1};
    const double allowance = american_allowance(put);
    EXPECT_GT(allowance, 0.0);
    // A few cents here (0.002 sigma sqrt(t) max(S, K) is 0.04): small enough
    // that a value a dime off is refused.
    EXPECT_LT(allowance, 0.1);
    EXPECT_EQ(checked_american_value(20.0, put), 20.0);
    EXPECT_NO_THROW(checked_american_value(20.0 - 0.5 * allowance, put));
    EXPECT_THROW(checked_american_value(20.0 - 2 * allowance, put), RuntimeError);
    EXPECT_NO_THROW(checked_american_value(100.0, put));
    EXPECT_THROW(checked_american_value(100.0 + 2 * allowance, put), RuntimeError);
    // A call at the money: at most the asset, at least the European value
    // (10.45 for S = K = 100, a year at 20 % and 5 %, no yield).
    const OptionTerms call{1, 0.2, 0.05, 100, 100, 0, 0};
    EXPECT_NO_THROW(checked_american_value(10.45, call));
    EXPECT_THROW(checked_american_value(10.2, call), RuntimeError);
    EXPECT_THROW(checked_american_value(100.0 + 2 * american_allowance(call), call), RuntimeError);
}

TEST(AmericanBoundsCheck, NoRefusalOverRandomOrdinaryTerms) {
    // Lives of 0.02 to 5 years, volatilities 0.05 to 1.2, rates and yields
    // 0 to 15 %, strikes within 0.7 in log of the spot, kept where the grid
    // holds the price's distribution: the strike inside the grid's 2.97
    // standard deviations and the drift over the life within one. Every one
    // of the six valuations of a Compute must pass, on every path.
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<OptionTerms> rows;
    while (rows.size() < 150) {
        OptionTerms o{0.02 + 4.98 * u(rng), 0.05 + 1.15 * u(rng), 0.0001 + 0.15 * u(rng), 0, 0, 0.15 * u(rng), 0};
        o.spot = 100 * std::exp(6 * u(rng) - 3);
        o.strike = o.spot * std::exp(1.4 * u(rng) - 0.7);
        o.optype = u(rng) < 0.5 ? 0 : 1;
        const double spread = o.sigma * std::sqrt(o.t);
        const double drift = std::fabs(o.r - o.yield - 0.5 * o.sigma * o.sigma) * o.t;
        if (std::fabs(std::log(o.strike / o.spot)) < 2.9 * spread && drift <= spread) rows.push_back(o);
    }
    const Valuation checked = [](const OptionTerms& o) {
        return checked_american_value(solver_usa(o.t, o.sigma, o.r, o.strike, o.spot, o.yield, o.optype), o);
    };
    on_every_path([&] {
        for (const OptionTerms& o : rows)
            EXPECT_NO_THROW(sensitivities(checked, o))
                << "t " << o.t << " sigma " << o.sigma << " r " << o.r << " K " << o.strike << " S " << o.spot << " q "
                << o.yield << " type " << o.optype;
    });
}

}  // namespace
}  // namespace tvx::test
