// The line under the six on the simulation route: the value's standard
// error and its pairs, checked against the spread of the simulated batch
// means themselves; absent on every other route.
#include <cmath>
#include <regex>

#include "core/numbers.h"
#include "support/compute_fixture.h"

namespace tvx {
namespace {

using test::ComputeFixture;

class StandardErrorLine : public ComputeFixture {};

TEST_F(StandardErrorLine, MatchesTheSpreadOfTheBatchMeans) {
    main.svol = true;
    compute();
    const std::regex form(R"(Standard error (\d+\.\d{1,4}) after ([\d,]+) pairs)");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(out.StdError, m, form)) << out.StdError;
    const double se = std::stod(m[1]);
    std::string pairs_text = m[2];
    std::erase(pairs_text, ',');
    const int pairs = std::stoi(pairs_text);
    ASSERT_EQ(pairs % 100, 0);
    const int batches = pairs / 100;
    ASSERT_GE(batches, 10);
    EXPECT_EQ(grouped_count_text(pairs), std::string(m[2]));
    // The six lines are those of the same simulation.
    EXPECT_EQ(out.Label1.substr(0, 20), "The option value is ");

    // The estimate after b batches is the mean of b batch means, so each
    // batch's own mean is b v(b) - (b - 1) v(b - 1); their spread over the
    // square root of their count is the standard error of the estimate.
    const std::int16_t steps = mc_steps(0.5);
    std::vector<double> means;
    double previous = 0.0;
    for (int b = 1; b <= batches; ++b) {
        const double v =
            mcarlo(0.5, 0.2, 0.045, 64.0, 60.0, 0.021, 0, 0, 0.0, 1, {}, static_cast<BatchCount>(b), steps);
        means.push_back(b * v - (b - 1) * previous);
        previous = v;
    }
    double mean = 0.0;
    for (const double x : means) mean += x / batches;
    double ss = 0.0;
    for (const double x : means) ss += (x - mean) * (x - mean);
    const double spread_se = std::sqrt(ss / (batches - 1)) / std::sqrt(batches);
    // Both estimate the same spread; with a few dozen batch means the
    // estimate from the means is good to some 15 per cent: allow twice that.
    EXPECT_NEAR(se, spread_se, 0.3 * spread_se);
    EXPECT_LT(se, 0.05);  // the stopping rule
}

TEST_F(StandardErrorLine, IsAbsentOnTheOtherRoutes) {
    main.svol = true;
    compute();
    ASSERT_FALSE(out.StdError.empty());
    main.svol = false;
    compute();
    EXPECT_TRUE(out.StdError.empty());
    main.optEuro = false;
    main.optCall = false;
    compute();
    EXPECT_TRUE(out.StdError.empty());
    EXPECT_EQ(grouped_count_text(4800), "4,800");
    EXPECT_EQ(grouped_count_text(32700), "32,700");
    EXPECT_EQ(grouped_count_text(100), "100");
}

}  // namespace
}  // namespace tvx
