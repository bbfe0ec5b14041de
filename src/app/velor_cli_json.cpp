#include "app/velor_cli_json.h"

#include "calc/result_warnings.h"

#include <algorithm>

namespace velor {

namespace {

// A result as JSON: zero without a sign ("0.0", not "-0.0").
double Number(double value) {
    return value == 0.0 ? 0.0 : value;
}

nlohmann::ordered_json Pair(double lower, double upper) {
    return nlohmann::ordered_json::array({Number(lower), Number(upper)});
}

nlohmann::ordered_json FormatJson(const char* name, int version = kJsonFormatVersion) {
    nlohmann::ordered_json json;
    json["name"] = name;
    json["version"] = version;
    return json;
}

nlohmann::ordered_json NodeJson(const Model& model, NodeId node) {
    nlohmann::ordered_json json;
    json["name"] = model.Node(node).Name;
    json["column"] = model.ColumnOfNode(node);
    return json;
}

nlohmann::ordered_json AlternativeJson(const Model& model, AltId alternative) {
    const int row = model.RowOfAlternative(alternative);
    nlohmann::ordered_json json;
    json["name"] = row > 0 ? model.AlternativeName(row) : std::string();
    json["row"] = row;
    return json;
}

nlohmann::ordered_json StatementJson(const Model& model, const ConflictStatement& statement) {
    nlohmann::ordered_json json;
    json["kind"] = ConflictKindName(statement.Kind);
    json["text"] = DescribeStatement(model, statement);
    json["node"] = NodeJson(model, statement.Node);
    switch (statement.Kind) {
    case ConflictKind::Ranking:
    case ConflictKind::HolisticRanking:
        json["relation"] = statement.Equal      ? "equal"
                           : statement.Unranked ? "unranked"
                                                : "preferred";
        json["better"] = AlternativeJson(model, statement.Better);
        json["worse"] = AlternativeJson(model, statement.Worse);
        break;
    case ConflictKind::RatioBound:
        json["statement"] = statement.Statement + 1;
        json["num1"] = AlternativeJson(model, statement.Ratio.Num1);
        json["num2"] = AlternativeJson(model, statement.Ratio.Num2);
        json["den1"] = AlternativeJson(model, statement.Ratio.Den1);
        json["den2"] = AlternativeJson(model, statement.Ratio.Den2);
        break;
    case ConflictKind::BottomUpWeight:
    case ConflictKind::TopDownWeight:
        json["reference"] = NodeJson(model, statement.Reference);
        if (const NodeId goal = WeightAssessmentGoal(model, statement); goal != kNone) {
            json["goal"] = NodeJson(model, goal);
        }
        break;
    case ConflictKind::UnrankedLevel:
        json["better"] = AlternativeJson(model, statement.Better);
        json["worse"] = AlternativeJson(model, statement.Worse);
        break;
    case ConflictKind::FlatRanking:
        break;
    }
    if (statement.Kind == ConflictKind::RatioBound ||
        statement.Kind == ConflictKind::BottomUpWeight ||
        statement.Kind == ConflictKind::TopDownWeight) {
        json["bound"] = statement.Bound == BoundSide::Lower ? "lower" : "upper";
        json["value"] = statement.Value;
    }
    return json;
}

// Every stored result: the alternatives with their values, dominance and recommendations, and
// the nodes in pre-order with weights and values.
void AddResults(const Model& model, nlohmann::ordered_json& root) {
    using Json = nlohmann::ordered_json;
    const int m = model.M();
    const CalculatedResults& calculated = model.Calculated();
    root["warnings"] = ResultWarnings(model);
    // Which results hold calculated figures; the others hold the defaults of a new model.
    Json parts;
    parts["values"] = calculated.ValuesOf(true, kPlainSet) || calculated.NodeValues[kPlainSet];
    parts["norm_values"] =
        calculated.ValuesOf(true, kNormalizedSet) || calculated.NodeValues[kNormalizedSet];
    parts["main_goal_values"] = calculated.AnyMainValues();
    parts["weights"] = calculated.Weights[kPlainSet];
    parts["norm_weights"] = calculated.Weights[kNormalizedSet];
    parts["dominance"] = calculated.Dominance;
    parts["margins"] = calculated.Margins;
    root["calculated"] = std::move(parts);
    Json alternatives = Json::array();
    for (int row = 1; row <= m; ++row) {
        const TAlternativeData& data = model.Alternative(row);
        Json dominance = Json::array();
        Json words = Json::array();
        Json margins = Json::array();
        for (int other = 1; other <= m; ++other) {
            const auto index = static_cast<std::size_t>(other);
            const std::uint8_t code =
                index < data.Dominance.size() ? data.Dominance[index] : std::uint8_t{kNotComputed};
            dominance.push_back(int{code});
            words.push_back(DominanceCodeName(code));
            // A margin read from a model file (integer part only) is no figure: null.
            margins.push_back(calculated.Margins ? Json(Number(index < data.DominanceMargin.size()
                                                                   ? data.DominanceMargin[index]
                                                                   : 0.0))
                                                 : Json(nullptr));
        }
        Json recommended = Json::object();
        for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
            recommended[kDecisionRuleNames[rule]] = data.Recommended[rule] != 0;
        }
        Json alternative;
        alternative["name"] = model.AlternativeName(row);
        alternative["value"] = Pair(data.ValueLower, data.ValueUpper);
        alternative["dominance"] = std::move(dominance);
        alternative["dominance_words"] = std::move(words);
        alternative["margins"] = std::move(margins);
        alternative["max_regret"] = Number(data.MaxRegret);
        alternative["recommended"] = std::move(recommended);
        alternatives.push_back(std::move(alternative));
    }
    root["alternatives"] = std::move(alternatives);

    Json nodes = Json::array();
    for (NodeId id : model.PreOrder()) {
        const TNodeData& data = model.Node(id);
        Json values = Json::array();
        Json normValues = Json::array();
        for (int row = 1; row <= m; ++row) {
            const auto index = static_cast<std::size_t>(row) - 1;
            const TNodeValue value = index < data.Values.size() ? data.Values[index] : TNodeValue{};
            values.push_back(Pair(value.Lower, value.Upper));
            normValues.push_back(Pair(value.NormLower, value.NormUpper));
        }
        Json node;
        node["name"] = data.Name;
        node["kind"] = data.Kind == kGoal ? "goal" : "attribute";
        node["column"] = data.Column;
        node["weight"] = Pair(data.WeightLower, data.WeightUpper);
        node["norm_weight"] = Pair(data.NormWeightLower, data.NormWeightUpper);
        node["values"] = std::move(values);
        node["norm_values"] = std::move(normValues);
        nodes.push_back(std::move(node));
    }
    root["nodes"] = std::move(nodes);
}

} // namespace

nlohmann::ordered_json ResultsJson(const Model& model, const RunSummary& run) {
    nlohmann::ordered_json root;
    root["format"] = FormatJson("velor-results", kResultsJsonVersion);
    root["feasible"] = run.Feasible;
    root["complete"] = run.Complete;
    root["type"] = static_cast<int>(run.Type); // the number --type takes
    root["lp_count"] = run.LpCount;
    root["seconds"] = run.Seconds;
    AddResults(model, root);
    return root;
}

nlohmann::ordered_json SummaryJson(const Model& model) {
    nlohmann::ordered_json root;
    root["format"] = FormatJson("velor-summary", kResultsJsonVersion);
    root["top_down_weights"] = model.TopDownWeights();
    root["normalized_intervals"] = model.NormalizedIntervals();
    AddResults(model, root);
    return root;
}

nlohmann::ordered_json ConflictJson(const Model& model, bool feasible,
                                    const ConflictResult* conflict) {
    using Json = nlohmann::ordered_json;
    Json root;
    root["format"] = FormatJson("velor-conflict");
    root["feasible"] = feasible;
    root["conflict"] = conflict != nullptr && conflict->Outcome == ConflictOutcome::Conflict;
    Json statements = Json::array();
    if (conflict != nullptr) {
        for (const ConflictStatement& statement : conflict->Statements) {
            statements.push_back(StatementJson(model, statement));
        }
        root["checks"] = conflict->Checks;
    }
    root["statements"] = std::move(statements);
    return root;
}

nlohmann::ordered_json AcceptabilityJson(const AcceptabilityResult& result) {
    using Json = nlohmann::ordered_json;
    const auto numbers = [](const std::vector<double>& values) {
        Json list = Json::array();
        for (const double value : values) {
            list.push_back(Number(value));
        }
        return list;
    };
    // Attributes are listed in order, so that two of the same name both keep their weights.
    Json attributes = Json::array();
    for (std::size_t j = 0; j < result.Attributes.size(); ++j) {
        Json attribute;
        attribute["name"] = result.Attributes[j];
        attribute["column"] = result.AttributeColumns[j];
        attributes.push_back(std::move(attribute));
    }
    Json root;
    root["format"] = FormatJson("velor-acceptability", kAcceptabilityJsonVersion);
    root["samples"] = result.Samples;
    root["seed"] = result.Seed;
    root["ranks"] = result.RanksCounted();
    root["pairwise"] = result.HasPairwiseWinning();
    root["attributes"] = std::move(attributes);
    Json alternatives = Json::array();
    for (std::size_t a = 0; a < result.Alternatives.size(); ++a) {
        Json alternative;
        alternative["name"] = result.Alternatives[a];
        alternative["rank_acceptability"] = numbers(result.RankShares[a]);
        alternative["rank_acceptability_error"] = numbers(result.RankErrors[a]);
        if (result.HasPairwiseWinning()) {
            alternative["pairwise_winning"] = numbers(result.PairwiseWinning[a]);
        }
        Json central = Json::array();
        for (const double weight : result.CentralWeights[a]) {
            central.push_back(result.HasCentralWeights(static_cast<int>(a)) ? Json(Number(weight))
                                                                            : Json(nullptr));
        }
        alternative["central_weights"] = std::move(central);
        alternatives.push_back(std::move(alternative));
    }
    root["alternatives"] = std::move(alternatives);
    return root;
}

nlohmann::ordered_json GroupJson(const std::vector<GroupMember>& members,
                                 const GroupResults& results) {
    using Json = nlohmann::ordered_json;
    const auto recommended = [](const TAlternativeData& data) {
        Json rules = Json::object();
        for (std::size_t rule = 0; rule < kDecisionRuleNames.size(); ++rule) {
            rules[kDecisionRuleNames[rule]] = data.Recommended[rule] != 0;
        }
        return rules;
    };
    const auto names = [](const Model& model, const std::vector<int>& rows) {
        Json list = Json::array();
        for (const int row : rows) {
            list.push_back(model.AlternativeName(row));
        }
        return list;
    };
    Json root;
    root["format"] = FormatJson("velor-group");
    root["warnings"] = GroupWarnings(members, results);
    Json memberList = Json::array();
    for (std::size_t k = 0; k < members.size(); ++k) {
        const MemberResult& result = results.Members[k];
        const Model& model = result.Calculated;
        const bool values = model.Calculated().AnyMainValues();
        Json member;
        member["name"] = members[k].Name;
        member["file"] = members[k].File;
        member["feasible"] = result.Outcome != RunOutcome::Infeasible;
        member["complete"] = Finished(result.Outcome);
        Json alternatives = Json::array();
        for (int row = 1; row <= model.M(); ++row) {
            const TAlternativeData& data = model.Alternative(row);
            Json alternative;
            alternative["name"] = model.AlternativeName(row);
            alternative["value"] = values ? Pair(data.ValueLower, data.ValueUpper) : Json(nullptr);
            alternative["recommended"] = recommended(data);
            alternatives.push_back(std::move(alternative));
        }
        member["alternatives"] = std::move(alternatives);
        memberList.push_back(std::move(member));
    }
    root["members"] = std::move(memberList);

    const Model& consensus = results.Consensus;
    const bool complete = results.ConsensusOutcome == RunOutcome::Complete;
    Json agreed;
    agreed["feasible"] = results.ConsensusOutcome != RunOutcome::Infeasible;
    agreed["complete"] = Finished(results.ConsensusOutcome);
    Json alternatives = Json::array();
    Json nodes = Json::array();
    if (complete) {
        for (int row = 1; row <= consensus.M(); ++row) {
            const TAlternativeData& data = consensus.Alternative(row);
            Json dominance = Json::array();
            for (int other = 1; other <= consensus.M(); ++other) {
                const auto index = static_cast<std::size_t>(other);
                dominance.push_back(DominanceCodeName(
                    index < data.Dominance.size() ? data.Dominance[index] : kNotComputed));
            }
            Json alternative;
            alternative["name"] = consensus.AlternativeName(row);
            alternative["value"] = Pair(data.ValueLower, data.ValueUpper);
            alternative["dominance"] = std::move(dominance);
            alternative["max_regret"] = Number(data.MaxRegret);
            alternative["recommended"] = recommended(data);
            alternatives.push_back(std::move(alternative));
        }
        const bool normalized = consensus.NormalizedIntervals();
        for (const NodeId id : consensus.PreOrder()) {
            const TNodeData& data = consensus.Node(id);
            Json node;
            node["name"] = data.Name;
            node["weight"] = normalized ? Pair(data.NormWeightLower, data.NormWeightUpper)
                                        : Pair(data.WeightLower, data.WeightUpper);
            nodes.push_back(std::move(node));
        }
    }
    agreed["alternatives"] = std::move(alternatives);
    agreed["nodes"] = std::move(nodes);
    Json conflict = Json::array();
    for (const ConflictStatement& statement : results.Conflict.Statements) {
        Json entry;
        const auto member = static_cast<std::size_t>(statement.Member);
        entry["member"] = member < members.size() ? members[member].Name : std::string();
        const Json fields = StatementJson(consensus, statement);
        for (const auto& [key, value] : fields.items()) {
            entry[key] = value;
        }
        conflict.push_back(std::move(entry));
    }
    agreed["conflict"] = std::move(conflict);
    root["consensus"] = std::move(agreed);

    Json common;
    common["dominated_for_all"] = names(consensus, results.Common.DominatedForAll);
    common["undominated_for_some"] = names(consensus, results.Common.UndominatedForSome);
    Json disagreements = Json::array();
    for (const DominanceDisagreement& d : results.Common.Disagreements) {
        Json pair;
        pair["alternative"] = consensus.AlternativeName(d.Row);
        pair["other"] = consensus.AlternativeName(d.OtherRow);
        Json holders = Json::array();
        for (const DominanceHolders& h : d.Holders) {
            Json holder;
            holder["relation"] = DominanceCodeName(h.Code);
            Json who = Json::array();
            for (const int k : h.Members) {
                who.push_back(members[static_cast<std::size_t>(k)].Name);
            }
            holder["members"] = std::move(who);
            holders.push_back(std::move(holder));
        }
        pair["holders"] = std::move(holders);
        disagreements.push_back(std::move(pair));
    }
    common["disagreements"] = std::move(disagreements);
    root["common_ground"] = std::move(common);
    return root;
}

} // namespace velor
