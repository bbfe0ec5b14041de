// Feeds arbitrary bytes to the CSV reader with each separator and checks what must hold for any
// text it accepts: written out again and read back it gives the same records, and planning an
// import of it into a small model either refuses with a line inside the text or leaves a plan
// whose application keeps the model's invariants.
#include "model/consequence_csv.h"
#include "model/csv_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

int CountLines(std::string_view text) {
    int lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool crAlone = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        lines += text[i] == '\n' || crAlone ? 1 : 0;
    }
    return lines;
}

velor::Model SmallModel() {
    velor::Model model;
    const velor::NodeId root = model.AddNode(velor::kGoal, velor::kNone);
    model.RenameNode(model.AddNode(velor::kAttribute, root), "Price");
    model.RenameNode(model.AddNode(velor::kAttribute, root), "Comfort");
    model.CommitCellText(1, model.NewAlternative(), "A", true);
    velor::ResultRecords(model).ConsequenceData(2, 1).Rank = 1;
    return model;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    for (char separator : {velor::kCsvDetect, ',', ';', '\t'}) {
        velor::CsvTable table;
        velor::CsvError error;
        if (!velor::ParseCsv(data, separator, table, &error)) {
            Check(table.Records.empty());
            Check(error.Line >= 1 && error.Line <= CountLines(data) + 1);
            continue;
        }
        Check(table.Records.size() == table.Lines.size());
        const std::string text = velor::WriteCsv(table.Records, table.Separator);
        velor::CsvTable reread;
        Check(velor::ParseCsv(text, table.Separator, reread));
        Check(reread.Records == table.Records);

        velor::Model model = SmallModel();
        const velor::Model before = model;
        velor::ConsequenceImportPlan plan;
        if (!velor::PlanConsequenceImport(model, table, {}, plan, &error)) {
            Check(error.Line <= CountLines(data) + 1);
            continue;
        }
        Check(model == before);
        velor::ApplyConsequenceImport(model, plan);
        Check(model.M() == before.M() + plan.AddedCount());
        Check(model.M() <= velor::kMaxImportedAlternatives);
        Check(model.NodeCount() <= velor::kMaxImportedNodes);
    }
    return 0;
}
