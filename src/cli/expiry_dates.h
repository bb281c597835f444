// The date options of every command with a life in years: --expiry,
// --valuation-date, --day-count and --holidays (and the batch's columns),
// the expiry date fields' table (core/expiry_date.h) bound as the
// window's own options are. With an expiry given, the command runs on the
// life in years from the valuation to it, written into its --time as the
// shortest text of that double, and the outcome echoes the life.
#pragma once

#include "cli/commands.h"
#include "core/expiry_date.h"

namespace tvx::cli {

// The command with the date fields after its own, when it has a `time`
// field (as it is otherwise).
CommandSpec with_expiry_dates(CommandSpec command);

// The date fields of a request of such a command (the defaults when the
// command has none).
ExpiryDate request_dates(const Request& r);

}  // namespace tvx::cli
