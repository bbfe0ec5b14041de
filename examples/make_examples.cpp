// Builds the example models of this folder through the model core and saves them:
//   velor-make-examples OUTPUT_FOLDER
// The saved models carry no results; "velor-cli calc MODEL --in-place" calculates them.
#include "model/model.h"
#include "model/model_file.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace velor;

class Builder {
public:
    explicit Builder(const std::string& mainGoal) {
        root_ = model_.AddNode(kGoal, kNone);
        model_.RenameNode(root_, mainGoal);
    }

    NodeId Goal(NodeId parent, const std::string& name) { return Add(kGoal, parent, name); }
    NodeId Attribute(NodeId parent, const std::string& name) {
        return Add(kAttribute, parent, name);
    }
    NodeId Root() const { return root_; }

    void Alternatives(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            const int row = model_.NewAlternative();
            model_.CommitCellText(1, row, name, true, true);
        }
    }

    // One consequence text and one rank (0 = unranked, 1 = best) per alternative, in row order.
    void Scores(NodeId node, const std::vector<std::string>& texts, const std::vector<int>& ranks) {
        const int column = model_.ColumnOfNode(node);
        for (int row = 1; row <= model_.M(); ++row) {
            model_.CommitCellText(column, row, texts.at(row - 1), false, true);
        }
        model_.StoreRanking(node, ranks, {});
    }

    // v(num1) - v(num2) is between lower and upper times v(den1) - v(den2); rows from 1.
    void Ratio(NodeId node, int num1, int num2, int den1, int den2, double lower, double upper) {
        TPreferenceData* preference = model_.PreferenceData(node);
        if (preference == nullptr) {
            throw std::logic_error("node without statement set");
        }
        TCardinalStatement statement;
        statement.Num1 = model_.AlternativeId(num1);
        statement.Num2 = model_.AlternativeId(num2);
        statement.Den1 = model_.AlternativeId(den1);
        statement.Den2 = model_.AlternativeId(den2);
        statement.Lower = lower;
        statement.Upper = upper;
        preference->Statements.push_back(statement);
    }

    void Weights(bool topDown, const std::vector<Model::WeightBound>& bounds) {
        model_.SetTopDownWeights(topDown);
        model_.StoreWeightBounds(topDown, bounds);
    }

    Model& Get() {
        model_.RefreshAssessedStatus();
        return model_;
    }

private:
    NodeId Add(NodeKind kind, NodeId parent, const std::string& name) {
        const NodeId node = model_.AddNode(kind, parent);
        model_.RenameNode(node, name);
        return node;
    }

    Model model_;
    NodeId root_ = kNone;
};

// Choosing a family car: costs, comfort and safety; weights stated bottom up.
Model Car() {
    Builder b("Choose a car");
    const NodeId costs = b.Goal(b.Root(), "Costs");
    const NodeId price = b.Attribute(costs, "Purchase price");
    const NodeId running = b.Attribute(costs, "Running cost");
    const NodeId maintenance = b.Attribute(costs, "Maintenance");
    const NodeId comfort = b.Goal(b.Root(), "Comfort");
    const NodeId space = b.Attribute(comfort, "Interior space");
    const NodeId ride = b.Attribute(comfort, "Ride quality");
    const NodeId safety = b.Attribute(b.Root(), "Safety");
    b.Alternatives(
        {"Compact hatchback", "Family estate", "Hybrid sedan", "Small SUV", "Electric city car"});
    b.Scores(price, {"EUR 19 500", "EUR 27 900", "EUR 31 200", "EUR 29 400", "EUR 24 800"},
             {1, 3, 5, 4, 2});
    b.Scores(running,
             {"6.1 l/100 km", "6.8 l/100 km", "4.4 l/100 km", "7.5 l/100 km", "15 kWh/100 km"},
             {3, 4, 2, 5, 1});
    b.Scores(maintenance, {"low", "medium", "medium", "high", "low"}, {1, 2, 2, 3, 1});
    b.Scores(space, {"small", "large", "medium", "large", "small"}, {3, 1, 2, 1, 3});
    b.Scores(ride, {"firm", "comfortable", "very comfortable", "comfortable", "firm"},
             {3, 2, 1, 2, 3});
    b.Scores(safety, {"4 stars", "5 stars", "5 stars", "4 stars", "3 stars"}, {2, 1, 1, 2, 3});
    // Saving EUR 5 300 (hatchback over city car) is worth 0.5 to 2 times saving EUR 3 100
    // (city car over estate).
    b.Ratio(price, 1, 5, 5, 2, 0.5, 2);
    b.Ratio(running, 5, 3, 3, 1, 1, 3);
    b.Ratio(space, 2, 3, 3, 1, 0.5, 1);
    b.Ratio(safety, 2, 1, 1, 5, 1, 2);
    b.Weights(false, {{price, 100, 100},
                      {running, 40, 80},
                      {maintenance, 20, 50},
                      {space, 30, 70},
                      {ride, 20, 60},
                      {safety, 60, 120}});
    return b.Get();
}

// Choosing among four job offers: pay, the work itself and everyday life; weights stated top
// down among the children of each goal.
Model JobOffers() {
    Builder b("Choose a job offer");
    const NodeId pay = b.Goal(b.Root(), "Pay");
    const NodeId salary = b.Attribute(pay, "Salary");
    const NodeId benefits = b.Attribute(pay, "Benefits");
    const NodeId work = b.Goal(b.Root(), "Work");
    const NodeId role = b.Attribute(work, "Role content");
    const NodeId growth = b.Attribute(work, "Career growth");
    const NodeId life = b.Goal(b.Root(), "Life");
    const NodeId commute = b.Attribute(life, "Commute");
    const NodeId flexibility = b.Attribute(life, "Flexibility");
    b.Alternatives({"Startup in town", "Bank downtown", "Remote consultancy", "University lab"});
    b.Scores(salary, {"EUR 58 000", "EUR 66 000", "EUR 61 000", "EUR 49 000"}, {3, 1, 2, 4});
    b.Scores(benefits, {"stock options", "pension plan", "none", "pension plan"}, {2, 1, 3, 1});
    b.Scores(role, {"product lead", "risk analyst", "senior consultant", "research engineer"},
             {1, 3, 2, 1});
    b.Scores(growth, {"fast", "steady", "fast", "slow"}, {1, 2, 1, 3});
    b.Scores(commute, {"15 min", "45 min", "none", "30 min"}, {2, 4, 1, 3});
    b.Scores(flexibility, {"flexible hours", "fixed hours", "fully flexible", "flexible hours"},
             {2, 3, 1, 2});
    b.Ratio(salary, 2, 3, 1, 4, 0.3, 1);
    b.Ratio(growth, 1, 2, 2, 4, 0.5, 2);
    b.Ratio(commute, 3, 1, 4, 2, 0.5, 2);
    b.Weights(true, {{pay, 100, 100},
                     {work, 60, 120},
                     {life, 40, 90},
                     {salary, 100, 100},
                     {benefits, 20, 50},
                     {role, 100, 100},
                     {growth, 50, 150},
                     {commute, 100, 100},
                     {flexibility, 80, 150}});
    return b.Get();
}

// Selecting a supplier of machined parts: cost, quality and delivery; weights stated bottom up,
// intervals shown normalized.
Model Supplier() {
    Builder b("Select a supplier");
    const NodeId cost = b.Goal(b.Root(), "Cost");
    const NodeId price = b.Attribute(cost, "Unit price");
    const NodeId terms = b.Attribute(cost, "Payment terms");
    const NodeId quality = b.Goal(b.Root(), "Quality");
    const NodeId defects = b.Attribute(quality, "Defect rate");
    const NodeId certification = b.Attribute(quality, "Certification");
    const NodeId delivery = b.Goal(b.Root(), "Delivery");
    const NodeId lead = b.Attribute(delivery, "Lead time");
    const NodeId onTime = b.Attribute(delivery, "On-time delivery");
    b.Alternatives({"Alder Components", "Birchway Industrial", "Cedar Supply Co.", "Dunmore Parts",
                    "Elmfield Metals", "Fenwick & Sons"});
    b.Scores(price, {"EUR 4.10", "EUR 3.85", "EUR 4.40", "EUR 3.85", "EUR 4.05", "EUR 4.60"},
             {3, 1, 4, 1, 2, 5});
    b.Scores(terms, {"30 days", "60 days", "30 days", "45 days", "60 days", "90 days"},
             {4, 2, 4, 3, 2, 1});
    b.Scores(defects, {"0.8 %", "1.5 %", "0.4 %", "2.1 %", "0.8 %", "1.1 %"}, {2, 4, 1, 5, 2, 3});
    b.Scores(certification,
             {"ISO 9001", "ISO 9001", "IATF 16949", "none", "IATF 16949", "ISO 9001"},
             {2, 2, 1, 3, 1, 2});
    b.Scores(lead, {"2 weeks", "3 weeks", "4 weeks", "1 week", "2 weeks", "3 weeks"},
             {2, 3, 4, 1, 2, 3});
    b.Scores(onTime, {"96 %", "91 %", "98 %", "89 %", "94 %", "97 %"}, {3, 5, 1, 6, 4, 2});
    b.Ratio(price, 2, 1, 1, 6, 0.8, 2);
    b.Ratio(defects, 3, 1, 1, 4, 0.2, 1);
    b.Ratio(lead, 4, 1, 1, 3, 0.5, 1.5);
    b.Weights(false, {{price, 100, 100},
                      {terms, 10, 40},
                      {defects, 60, 120},
                      {certification, 20, 60},
                      {lead, 30, 80},
                      {onTime, 40, 100}});
    Model& model = b.Get();
    model.SetNormalizedIntervals(true);
    return model;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: velor-make-examples OUTPUT_FOLDER\n";
        return 1;
    }
    const std::string folder = argv[1];
    const struct {
        const char* File;
        Model (*Make)();
    } examples[] = {{"car.vlr", Car}, {"job_offers.vlr", JobOffers}, {"supplier.vlr", Supplier}};
    int status = 0;
    for (const auto& example : examples) {
        Model model = example.Make();
        model.SetChanged(false);
        std::string error;
        const std::string path = folder + "/" + example.File;
        if (!SaveModelFile(model, path, &error)) {
            std::cerr << path << ": " << error << '\n';
            status = 1;
        }
    }
    return status;
}
