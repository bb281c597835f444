#include "neural/predict_window.h"

#include <exception>
#include <utility>
#include <vector>

#include "core/checks.h"
#include "core/history.h"
#include "core/numbers.h"
#include "neural/files.h"
#include "neural/network.h"
#include "neural/network_file.h"

namespace tvx {

std::string input_caption(std::size_t node) { return "Input Node " + std::to_string(node + 1); }
std::string input_name(std::size_t node) { return "Text" + std::to_string(node + 1); }

namespace {

template <std::size_t Node>
std::string& input_text(PredictWindow& w) {
    return w.Text[Node];
}

// The names the rows point to, made once.
struct InputNames {
    std::array<std::string, 10> name, caption, option;
    InputNames() {
        for (std::size_t i = 0; i < 10; ++i) {
            name[i] = input_name(i);
            caption[i] = input_caption(i);
            option[i] = "input" + std::to_string(i + 1);
        }
    }
};

template <std::size_t... Node>
std::array<Field<PredictWindow>, sizeof...(Node)> input_fields(const InputNames& n, std::index_sequence<Node...>) {
    return {optional_number_field(&input_text<Node>, n.name[Node].c_str(), n.caption[Node].c_str(),
                                  n.option[Node].c_str(), Node < 5 ? 0 : 1)...};
}

// The network file, then the inputs of its nodes.
std::vector<HistoryTerm> terms_read(const PredictWindow& w, const std::string& net, std::int16_t nin) {
    std::vector<HistoryTerm> terms = terms_of<PredictWindow>(predict_fields(), w);
    terms.resize(static_cast<std::size_t>(nin));
    terms.insert(terms.begin(), HistoryTerm{"net", net});
    return terms;
}

void unload(PredictWindow& w, UserInterface& ui) {
    w = PredictWindow{};
    ui.unload(Window::Neural3);
}

}  // namespace

FieldTable<PredictWindow> predict_fields() {
    static const InputNames names;
    static const auto table =
        input_fields(names, std::make_index_sequence<std::tuple_size_v<decltype(PredictWindow::Text)>>{});
    return table;
}

void Command1_Click(PredictWindow& w, UserInterface& ui) {
    const std::optional<std::string> answer = ui.input_box(kAppTitle, neural3_text::prompt, neural3_text::default_file);
    if (!answer) return;  // the user cancelled the question: nothing to report
    ui.set_pointer(Pointer::Busy);
    try {
        if (IsFile(*answer, ui) != 0) {
            ui.set_pointer(Pointer::Normal);
            return;
        }
        const LoadedNet net = load_net(*answer);
        const NetShape& shape = net.shape;

        std::array<double, 10> x{};
        for (std::size_t i = 0; i < x.size(); ++i)
            if (!w.Text[i].empty()) x[i] = parse_number(w.Text[i]);

        for (std::size_t i = 0; i < static_cast<std::size_t>(shape.nin); ++i) {
            const double lower = net.ranges.in_min[i];
            x[i] = fdiv(chk(x[i] - lower), chk(net.ranges.in_max[i] - lower));
            if (!(x[i] > 0.0 && x[i] <= 1.0)) {
                ui.set_pointer(Pointer::Normal);
                refuse(ui, Window::Neural3, input_name(i), neural3_text::out_of_range);
                return;
            }
        }

        NodeTable nodes(shape);
        feed_forward(net.weights, std::span<const double>(x).first(static_cast<std::size_t>(shape.nin)), nodes, shape);

        std::string text;
        std::vector<Figure> outputs;
        for (std::size_t j = 0; j < static_cast<std::size_t>(shape.nout); ++j) {
            const double low = net.ranges.out_min[j];
            const double out = chk(chk(net.ranges.out_max[j] - low) * nodes.output[j] + low);
            text += j == 0 ? std::string("The output for node 1 is ")
                           : "The result for output node " + std::to_string(j + 1) + " is ";
            text += four_decimal_text(out);
            text += '\r';
            outputs.push_back({kOutputNames[j], out});
        }
        record_result(ui, neural3_caption::frmNeural3, neural3_caption::Command1, terms_read(w, *answer, shape.nin),
                      std::move(outputs));
        ui.set_pointer(Pointer::Normal);
        ui.message_box(kAppTitle, Icon::None, text, Buttons::Ok);
        unload(w, ui);
    } catch (const std::exception&) {
        // A file that cannot be read or is malformed, a field that is not a
        // number, equal bounds, an arithmetic fault or a rounding overflow.
        report_error(ui, Window::Neural3, predict_fields(), w);
    }
}

void Command2_Click(PredictWindow& w, UserInterface& ui) { unload(w, ui); }

}  // namespace tvx
