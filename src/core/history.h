// The session's history: one row for every result a window's command
// shows, with the terms it read and its figures at full precision. The
// commands hand each result to the user interface (record_result); the
// windows' front end keeps the rows for the History window, the command
// line keeps none.
//
//   record_result(ui, bonds_caption::frmBonds2, bonds_caption::cmdYield,
//                 terms_of<StraightBondsWindow>(kBondYieldFields, w), {{"yield", y}});
//
// A calculator's Compute records through its frame (core/calculator.h).
#pragma once

#include <chrono>
#include <string>
#include <type_traits>
#include <vector>

#include "core/fields.h"
#include "core/results.h"
#include "core/user_interface.h"

namespace tvx {

// A term as the command read it: the field's command-line name and its
// text; a choice or a ticked check box has no name, only the caption of
// its selected button or its own.
struct HistoryTerm {
    std::string name;
    std::string text;

    bool operator==(const HistoryTerm&) const = default;
};

// What a result says beside its figures: how an American value was
// worked out, and results that are not numbers (a strategy's breakevens,
// "unlimited").
struct HistoryExtras {
    std::string method;              // "grid", "boundary", "closed form"; empty where no American value
    std::vector<HistoryTerm> texts;  // by name, as the figures are
};

struct HistoryRow {
    std::chrono::system_clock::time_point time;
    std::string window;   // the window's caption ("Straight Bonds")
    std::string command;  // the command's caption ("Yield")
    std::vector<HistoryTerm> terms;
    std::vector<Figure> figures;  // every figure at full precision
    HistoryExtras extras;
    // Advanced > Exact Values when the result came in (the windows' front
    // end sets it as it keeps the row).
    bool exact = false;
};

// Hands one result to the session's history, stamped with the time now.
void record_result(UserInterface& ui, std::string window, std::string command, std::vector<HistoryTerm> terms,
                   std::vector<Figure> figures, HistoryExtras extras = {});

// The terms of the table's fields that the model's command reads (see
// Field::read_by), in the table's order: a text field by its option name
// (its object name when it has none), a choice by its selected button's
// caption, a check box by its caption when ticked.
template <class Model>
std::vector<HistoryTerm> terms_of(std::type_identity_t<FieldTable<Model>> table, const Model& m) {
    std::vector<HistoryTerm> terms;
    terms.reserve(table.size());
    for (const Field<Model>& f : table) {
        if (!f.read_by(m)) continue;
        if (f.is_text()) {
            terms.push_back({f.option ? f.option : f.name, f.text_of(m)});
        } else if (f.kind == FieldKind::Choice) {
            const std::size_t k = m.*f.first ? 0 : (f.third && m.*f.third ? 2 : 1);
            terms.push_back({{}, f.buttons[k].caption});
        } else if (m.*f.first) {
            terms.push_back({{}, f.caption});
        }
    }
    return terms;
}

// "par=1000.0, coupon=8.5, Annual, time=3.5, rate=4.5".
std::string terms_text(const HistoryRow& row);
// "fair_value=114.35012731481483": each figure at full precision, then
// the texts ("breakevens=55.2 64.7, max_profit=unlimited").
std::string figures_text(const HistoryRow& row);
// The local time of day, "14:03:27", and the date with it,
// "2025-03-01 14:03:27".
std::string time_of_day_text(std::chrono::system_clock::time_point t);
std::string date_time_text(std::chrono::system_clock::time_point t);

}  // namespace tvx
