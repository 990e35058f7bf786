#include "lab/section_graph.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>

#include "check/command_line.h"
#include "check/variable_tokens.h"
#include "engine/script_keys.h"
#include "engine/text_format.h"
#include "lab/html_text.h"
#include "profile/profile_document.h"

namespace velsetup::lab {
namespace {

using profile::FoldName;

// The branch's outcome without the command's name: "CMD18 for Windows 95"
// reads "Windows 95" beside an arrow leaving a CMD18's section.
std::string ShortLabel(const std::string& what, uint32_t number) {
  if (number == 19) return "jump";
  for (const char* joint : {" for the ", " for ", " as "}) {
    const size_t at = what.find(joint);
    if (at != std::string::npos) return what.substr(at + std::string(joint).size());
  }
  return what;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class GraphBuilder {
 public:
  GraphBuilder(const LabResult& result, const ScriptView& view) : result_(result), view_(view) {}

  SectionGraph Build() {
    for (const check::ScriptSection& section : view_.text().sections()) {
      sections_[FoldName(section.name)] = Add(GraphNode::kSection, section.name);
    }
    for (const ProfileResult& profile : result_.profiles) {
      std::set<int> started;
      for (const SectionRun& run : profile.sections) {
        const auto node = sections_.find(FoldName(run.name));
        if (node != sections_.end()) started.insert(node->second);
      }
      for (int node : started) ++graph_.nodes[static_cast<size_t>(node)].reached;
      std::set<int> ran;
      for (const CommandRun& run : profile.commands) ran.insert(view_.Join(run.file, run.line));
      ran_.push_back(std::move(ran));
    }
    for (size_t file = 1; file < result_.files.size(); ++file) {
      files_.push_back(Add(GraphNode::kFile, result_.files[file].name));
    }
    for (const ViewSection& section : view_.command_sections()) {
      const int from = sections_.at(FoldName(section.section->name));
      for (const check::CommandLine& command : section.commands) {
        for (const check::Target& target : view_.model().TargetsOf(command)) {
          AddTarget(from, target, command.Number());
        }
        if (command.rule().effect == Effect::kAppendsFile) AddAppend(from, command);
        AddRead(from, command);
      }
    }
    for (const ViewSection& section : view_.command_sections()) {
      data_.erase(sections_.at(FoldName(section.section->name)));
    }
    for (int node : data_) graph_.nodes[static_cast<size_t>(node)].kind = GraphNode::kData;
    for (const auto& [node, profiles] : read_by_) {
      if (data_.count(node) != 0) graph_.nodes[static_cast<size_t>(node)].reached = static_cast<int>(profiles.size());
    }
    for (const auto& [node, profiles] : appended_by_) {
      graph_.nodes[static_cast<size_t>(node)].reached = static_cast<int>(profiles.size());
    }
    return std::move(graph_);
  }

 private:
  int Add(GraphNode::Kind kind, const std::string& name) {
    GraphNode node;
    node.kind = kind;
    node.name = name;
    graph_.nodes.push_back(std::move(node));
    return static_cast<int>(graph_.nodes.size() - 1);
  }

  // Two ways from one section to another make one arrow with both labels.
  void Connect(int from, int to, const std::string& label, const std::string& what) {
    const auto known = edges_.find({from, to});
    if (known == edges_.end()) {
      edges_[{from, to}] = graph_.edges.size();
      graph_.edges.push_back({from, to, label, what});
      return;
    }
    GraphEdge& edge = graph_.edges[known->second];
    if (edge.label.empty()) {
      edge.label = label;
    } else if (!label.empty() && edge.label.find(label) == std::string::npos) {
      edge.label += ", " + label;
    }
    edge.what += "; " + what;
  }

  void AddTarget(int from, const check::Target& target, uint32_t number) {
    if (target.name.empty()) return;
    const std::string label = ShortLabel(target.what, number);
    if (target.expanded && check::HasToken(target.name)) {
      // A name with variables in it may be any section it matches; one all
      // variable could be any section, which no arrow can show.
      const check::NamePattern pattern = check::PatternOf(target.name);
      if (!pattern.any_literal) return;
      for (size_t node = 0; node < graph_.nodes.size(); ++node) {
        const GraphNode& candidate = graph_.nodes[node];
        if (candidate.kind == GraphNode::kSection && check::Matches(pattern, candidate.name)) {
          Connect(from, static_cast<int>(node), label + " (" + target.name + ")", target.what);
        }
      }
      return;
    }
    const std::string folded = FoldName(target.name);
    auto node = sections_.find(folded);
    if (node == sections_.end()) {
      node = sections_.emplace(folded, Add(GraphNode::kMissing, target.name)).first;
    }
    Connect(from, node->second, label, target.what);
  }

  void AddRead(int from, const check::CommandLine& command) {
    const std::string name = view_.model().DataSectionOf(command);
    const auto node = name.empty() ? sections_.end() : sections_.find(FoldName(name));
    if (node == sections_.end() || graph_.nodes[static_cast<size_t>(node->second)].kind != GraphNode::kSection) return;
    Connect(from, node->second, "", Concat(check::ShortName(command.Number()), " reads [", name, "]"));
    graph_.edges[edges_.at({from, node->second})].reads = true;
    data_.insert(node->second);
    Ran(command, read_by_[node->second]);
  }

  void Ran(const check::CommandLine& command, std::set<int>& profiles) const {
    for (size_t p = 0; p < ran_.size(); ++p) {
      if (ran_[p].count(command.line) != 0) profiles.insert(static_cast<int>(p));
    }
  }

  void AddAppend(int from, const check::CommandLine& command) {
    const std::string name = BaseName(command.Field(0));
    int to = -1;
    for (size_t file = 1; file < result_.files.size(); ++file) {
      if (EqualsIgnoreCase(result_.files[file].name, name)) to = files_[file - 1];
    }
    if (to < 0) {
      const std::string key = "\x01" + FoldName(name);  // no section's name
      auto missing = sections_.find(key);
      if (missing == sections_.end()) {
        missing = sections_.emplace(key, Add(GraphNode::kMissing, name)).first;
      }
      to = missing->second;
    }
    Connect(from, to, "appends", Concat("CMD28 appends ", command.Field(0)));
    Ran(command, appended_by_[to]);
  }

  const LabResult& result_;
  const ScriptView& view_;
  SectionGraph graph_;
  std::map<std::string, int> sections_;  // folded name -> node
  std::vector<int> files_;               // node of files[1..]
  std::map<std::pair<int, int>, size_t> edges_;
  std::vector<std::set<int>> ran_;  // joined lines each profile ran
  std::map<int, std::set<int>> appended_by_;
  std::set<int> data_;  // sections a command reads
  std::map<int, std::set<int>> read_by_;
};

// --- layout

constexpr double kMargin = 24;
constexpr double kNodeHeight = 40;
constexpr double kRowGap = 76;  // room for the arrows and their labels
constexpr double kColumnGap = 28;
constexpr double kCharWidth = 7.2;  // of the 12px monospace names
constexpr size_t kNameCut = 32;
constexpr size_t kPerRow = 10;  // a wider layer wraps onto further rows
constexpr double kBulge = 56;  // how far an arrow back up swings right

std::string Shown(const std::string& name, GraphNode::Kind kind) {
  std::string shown = kind == GraphNode::kFile ? name : "[" + name + "]";
  if (shown.size() > kNameCut) shown = shown.substr(0, kNameCut - 3) + "...";
  return shown;
}

void Layer(SectionGraph& graph) {
  std::vector<std::vector<int>> next(graph.nodes.size());
  for (const GraphEdge& edge : graph.edges) next[static_cast<size_t>(edge.from)].push_back(edge.to);
  std::deque<int> pending;
  for (size_t node = 0; node < graph.nodes.size(); ++node) {
    if (graph.nodes[node].kind == GraphNode::kSection &&
        EqualsIgnoreCase(graph.nodes[node].name, script_key::kCommandsList)) {
      graph.nodes[node].layer = 0;
      pending.push_back(static_cast<int>(node));
      break;
    }
  }
  int deepest = -1;
  while (!pending.empty()) {
    const int node = pending.front();
    pending.pop_front();
    const int layer = graph.nodes[static_cast<size_t>(node)].layer;
    deepest = std::max(deepest, layer);
    for (int to : next[static_cast<size_t>(node)]) {
      GraphNode& target = graph.nodes[static_cast<size_t>(to)];
      if (target.layer >= 0) continue;
      target.layer = layer + 1;
      pending.push_back(to);
    }
  }
  // What no path from [CommandsList] reaches goes in a layer of its own, last.
  for (GraphNode& node : graph.nodes) {
    if (node.layer < 0) node.layer = deepest + 1;
  }
}

// Rows of nodes, top to bottom: each layer in the order that keeps a node
// near the nodes that lead to it, wrapped where it is too wide.
std::vector<std::vector<int>> Rows(const SectionGraph& graph) {
  int layers = 0;
  for (const GraphNode& node : graph.nodes) layers = std::max(layers, node.layer + 1);
  std::vector<std::vector<int>> before(graph.nodes.size());
  for (const GraphEdge& edge : graph.edges) before[static_cast<size_t>(edge.to)].push_back(edge.from);
  std::vector<double> place(graph.nodes.size(), -1);  // across the row, 0..1
  std::vector<std::vector<int>> rows;
  for (int layer = 0; layer < layers; ++layer) {
    std::vector<std::pair<double, int>> order;
    for (size_t node = 0; node < graph.nodes.size(); ++node) {
      if (graph.nodes[node].layer != layer) continue;
      double sum = 0;
      int count = 0;
      for (int from : before[node]) {
        if (place[static_cast<size_t>(from)] < 0) continue;
        sum += place[static_cast<size_t>(from)];
        ++count;
      }
      // Nodes with nothing placed above them keep their order in the file.
      order.emplace_back(count > 0 ? sum / count : 2.0 + static_cast<double>(node), node);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t start = 0; start < order.size(); start += kPerRow) {
      const size_t end = std::min(order.size(), start + kPerRow);
      std::vector<int> row;
      for (size_t i = start; i < end; ++i) {
        row.push_back(order[i].second);
        place[static_cast<size_t>(order[i].second)] =
            (static_cast<double>(i - start) + 0.5) / static_cast<double>(end - start);
      }
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

void LayOut(SectionGraph& graph) {
  Layer(graph);
  const std::vector<std::vector<int>> rows = Rows(graph);
  double inner = 360;
  for (GraphNode& node : graph.nodes) {
    const double chars = static_cast<double>(Shown(node.name, node.kind).size());
    node.width = std::max(96.0, chars * kCharWidth + 24);
    node.height = kNodeHeight;
  }
  for (const std::vector<int>& row : rows) {
    double widest = 0;
    for (int node : row) widest = std::max(widest, graph.nodes[static_cast<size_t>(node)].width);
    inner = std::max(inner, static_cast<double>(row.size()) * (widest + kColumnGap));
  }
  // Each row's nodes spread evenly over the same width.
  for (size_t r = 0; r < rows.size(); ++r) {
    const double slot = inner / static_cast<double>(rows[r].size());
    for (size_t i = 0; i < rows[r].size(); ++i) {
      GraphNode& node = graph.nodes[static_cast<size_t>(rows[r][i])];
      node.x = kMargin + slot * (static_cast<double>(i) + 0.5);
      node.y = kMargin + kNodeHeight / 2 + static_cast<double>(r) * (kNodeHeight + kRowGap);
    }
  }
  graph.width = inner + 2 * kMargin + kBulge;
  graph.height = 2 * kMargin + static_cast<double>(rows.size()) * (kNodeHeight + kRowGap) - kRowGap;
  if (rows.empty()) graph.height = 2 * kMargin;
}

// --- drawing

struct Point {
  double x, y;
};

struct Curve {
  Point p0, p1, p2, p3;
  Point Middle() const {
    return {(p0.x + 3 * p1.x + 3 * p2.x + p3.x) / 8, (p0.y + 3 * p1.y + 3 * p2.y + p3.y) / 8};
  }
};

Curve CurveOf(const GraphNode& a, const GraphNode& b, bool self) {
  const double a_right = a.x + a.width / 2, b_right = b.x + b.width / 2;
  const double a_top = a.y - a.height / 2, a_bottom = a.y + a.height / 2;
  const double b_top = b.y - b.height / 2;
  if (self) {
    return {{a_right, a.y - 8}, {a_right + 44, a.y - 34}, {a_right + 44, a.y + 34}, {a_right, a.y + 8}};
  }
  if (b.y > a.y) {
    const double dy = (b_top - a_bottom) / 2;
    return {{a.x, a_bottom}, {a.x, a_bottom + dy}, {b.x, b_top - dy}, {b.x, b_top}};
  }
  if (b.y == a.y) return {{a.x, a_top}, {a.x, a_top - 36}, {b.x, b_top - 36}, {b.x, b_top}};
  // Back up the graph: round the right side, clear of the rows between.
  const double out = std::max(a_right, b_right) + kBulge;
  return {{a_right, a.y}, {out, a.y}, {out, b.y}, {b_right, b.y}};
}

std::string Path(const Curve& c) {
  return "M" + Num(c.p0.x, 1) + "," + Num(c.p0.y, 1) + " C" + Num(c.p1.x, 1) + "," +
         Num(c.p1.y, 1) + " " + Num(c.p2.x, 1) + "," + Num(c.p2.y, 1) + " " + Num(c.p3.x, 1) +
         "," + Num(c.p3.y, 1);
}

// Grey-red for a section no profile reached, then from pale to strong green
// as more of the profiles reach it.
struct Colours {
  std::string fill, stroke, text;
};

Colours ColoursOf(int reached, int profiles) {
  if (reached <= 0 || profiles <= 0) return {"#f2d4d4", "#a83232", "#5a1e1e"};
  const double share = std::min(1.0, static_cast<double>(reached) / profiles);
  const auto mix = [share](int pale, int strong) {
    return Num(pale + (strong - pale) * share);
  };
  return {"rgb(" + mix(218, 28) + "," + mix(240, 128) + "," + mix(214, 56) + ")", "#1c5a2c",
          share > 0.55 ? "#ffffff" : "#0f2a16"};
}

std::string LabelText(const std::string& label) {
  return label.size() > 28 ? label.substr(0, 25) + "..." : label;
}

void DrawEdges(const SectionGraph& graph, std::string& svg) {
  svg += "<g class=\"edges\">\n";
  for (const GraphEdge& edge : graph.edges) {
    const GraphNode& from = graph.nodes[static_cast<size_t>(edge.from)];
    const GraphNode& to = graph.nodes[static_cast<size_t>(edge.to)];
    const Curve curve = CurveOf(from, to, edge.from == edge.to);
    const Point middle = edge.from == edge.to ? Point{curve.p1.x - 4, from.y} : curve.Middle();
    svg += std::string(edge.reads ? "<g class=\"edge reads\">" : "<g class=\"edge\">") + "<title>" + Html(edge.what) + "</title><path d=\"" + Path(curve) +
           "\" marker-end=\"url(#arrow)\"/><text x=\"" + Num(middle.x, 1) + "\" y=\"" +
           Num(middle.y + 3, 1) + "\">" + Html(LabelText(edge.label)) + "</text></g>\n";
  }
  svg += "</g>\n";
}

void DrawNodes(const SectionGraph& graph, int profiles, std::string& svg) {
  svg += "<g class=\"nodes\">\n";
  for (const GraphNode& node : graph.nodes) {
    const Colours colours = node.kind == GraphNode::kData && node.reached > 0
                                ? Colours{"#dde6f3", "#3d5a80", "#14243a"}
                                : ColoursOf(node.reached, profiles);
    const char* kind = node.kind == GraphNode::kSection ? "section"
                       : node.kind == GraphNode::kData  ? "section data"
                       : node.kind == GraphNode::kFile  ? "file"
                                                        : "missing";
    std::string count = Num(node.reached) + "/" + Num(profiles);
    const std::string shown = node.kind == GraphNode::kFile ? node.name : "[" + node.name + "]";
    std::string title = Html(shown) + ": reached by " + Num(node.reached) + " of " +
                        Num(profiles) + " profiles";
    if (node.kind == GraphNode::kMissing) {
      count = "not in the script";
      title = Html(shown) + ": named, but not in the script or its files";
    } else if (node.kind == GraphNode::kFile) {
      count = "appended " + count;
    } else if (node.kind == GraphNode::kData) {
      count = "read " + count;
      title = Html(shown) + ": data, read by " + Num(node.reached) + " of " + Num(profiles) +
              " profiles";
    }
    svg += "<g class=\"node " + std::string(kind) + "\" data-name=\"" + Html(node.name) +
           "\"><title>" + title + "</title>";
    svg += "<rect x=\"" + Num(node.x - node.width / 2, 1) + "\" y=\"" +
           Num(node.y - node.height / 2, 1) + "\" width=\"" + Num(node.width, 1) +
           "\" height=\"" + Num(node.height, 1) + "\" rx=\"" +
           (node.kind == GraphNode::kFile ? "2" : "7") + "\" fill=\"" +
           (node.kind == GraphNode::kMissing ? "#ffffff" : colours.fill) + "\" stroke=\"" +
           colours.stroke + "\"/>";
    const std::string text_fill = node.kind == GraphNode::kMissing ? "#a83232" : colours.text;
    svg += "<text class=\"name\" x=\"" + Num(node.x, 1) + "\" y=\"" + Num(node.y - 3, 1) +
           "\" fill=\"" + text_fill + "\">" + Html(Shown(node.name, node.kind)) + "</text>";
    svg += "<text class=\"count\" x=\"" + Num(node.x, 1) + "\" y=\"" + Num(node.y + 13, 1) +
           "\" fill=\"" + text_fill + "\">" + count + "</text></g>\n";
  }
  svg += "</g>\n";
}

}  // namespace

SectionGraph BuildSectionGraph(const LabResult& result, const ScriptView& view) {
  SectionGraph graph = GraphBuilder(result, view).Build();
  LayOut(graph);
  return graph;
}

std::string GraphSvg(const SectionGraph& graph, int profiles) {
  const std::string width = Num(graph.width), height = Num(graph.height);
  std::string svg = "<svg class=\"sections\" width=\"" + width + "\" height=\"" + height +
                    "\" viewBox=\"0 0 " + width + " " + height +
                    "\" role=\"img\" aria-label=\"The script's sections and the ways between "
                    "them\">\n";
  svg +=
      "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" "
      "markerWidth=\"8\" markerHeight=\"8\" orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" "
      "fill=\"#555555\"/></marker></defs>\n";
  DrawEdges(graph, svg);
  DrawNodes(graph, profiles, svg);
  svg += "</svg>\n";
  return svg;
}

}  // namespace velsetup::lab
