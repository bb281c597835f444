#include "cli/commands.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "cli/cli_ui.h"
#include "cli/expiry_dates.h"
#include "cli/window_command.h"
#include "core/user_interface.h"

namespace tvx::cli {

const std::vector<CommandSpec>& commands() {
    static const std::vector<CommandSpec> all = [] {
        std::vector<CommandSpec> c{option_command(), implied_command()};
        for (CommandSpec& calculator : calculator_commands()) c.push_back(std::move(calculator));
        c.push_back(train_command());
        c.push_back(predict_command());
        for (CommandSpec& command : c) command = with_expiry_dates(std::move(command));
        return c;
    }();
    return all;
}

const CommandSpec* find_command(std::string_view name) {
    for (const auto& c : commands())
        if (c.name == name) return &c;
    return nullptr;
}

int field_index(const CommandSpec& command, std::string_view name) {
    for (std::size_t i = 0; i < command.fields.size(); ++i)
        if (command.fields[i].name == name) return static_cast<int>(i);
    return -1;
}

Request default_request(const CommandSpec& command) {
    Request r;
    r.command = &command;
    r.values.reserve(command.fields.size());
    for (const auto& f : command.fields) r.values.push_back(f.default_text);
    return r;
}

std::optional<bool> flag_value(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

Outcome usage_outcome(std::string message) {
    Outcome o;
    o.status = kExitUsage;
    o.messages.push_back(std::move(message));
    return o;
}

Outcome outcome_of(CliUi& ui) {
    Outcome o;
    o.status = ui.status;
    o.lines = std::move(ui.results);
    o.messages = std::move(ui.messages);
    return o;
}

const std::vector<const char*>& figure_names() {
    static const std::vector<const char*> names = [] {
        std::vector<const char*> all;
        for (const auto& c : commands())
            for (const char* name : c.results)
                if (std::none_of(all.begin(), all.end(), [name](const char* n) { return std::strcmp(n, name) == 0; }))
                    all.push_back(name);
        return all;
    }();
    return names;
}

std::string option_name(const std::string& name) {
    std::string option = "--" + name;
    for (char& c : option)
        if (c == '_') c = '-';
    return option;
}

Outcome run_request(const Request& request) {
    try {
        return request.command->run(request);
    } catch (const std::exception&) {
        Outcome o;
        o.status = kExitError;
        o.messages.emplace_back(kGenericError);
        return o;
    }
}

std::vector<std::string> message_lines(const Outcome& outcome) {
    std::vector<std::string> lines;
    for (const auto& m : outcome.messages)
        for (auto& line : box_lines(m)) lines.push_back(std::move(line));
    return lines;
}

}  // namespace tvx::cli
