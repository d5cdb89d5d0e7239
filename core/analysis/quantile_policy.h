#pragma once

#include <boost/math/policies/policy.hpp>

namespace mensuro {

// The policy of the distributions whose quantiles the analysis takes: a quantile beyond the range
// of a double (for a small fraction of a degree of freedom, say) comes out as infinity, and one
// of no meaning as NaN, rather than as an exception.
using QuietQuantilePolicy = boost::math::policies::policy<
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::domain_error<boost::math::policies::ignore_error>>;

}  // namespace mensuro
