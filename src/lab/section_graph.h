// The script's sections as a graph for the lab's page: a node a section (and
// one a file that a CMD28 appends), an edge for every way a run goes from one
// section to another, each node with the number of profiles that reached it,
// laid out in layers by distance from [CommandsList].
#pragma once

#include <string>
#include <vector>

#include "lab/lab_result.h"
#include "lab/script_view.h"

namespace velsetup::lab {

struct GraphNode {
  // kData: a section no run starts, that a command reads.
  enum Kind { kSection, kData, kFile, kMissing } kind = kSection;
  std::string name;   // the section's or the file's name
  // Profiles that started the section, ran a command reading it, or
  // appended the file.
  int reached = 0;
  int layer = -1;     // steps from [CommandsList]; -1: no path leads to it
  // Placed by LayOut: the box's centre and size.
  double x = 0, y = 0, width = 0, height = 0;
};

struct GraphEdge {
  int from = 0, to = 0;
  std::string label;  // short: "Windows 95", "answer Yes", "jump"
  std::string what;   // in full, for the tooltip
  bool reads = false;  // to a data section: drawn dashed, without a label
};

struct SectionGraph {
  std::vector<GraphNode> nodes;
  std::vector<GraphEdge> edges;
  double width = 0, height = 0;
};

// The graph of the view's text, laid out.
SectionGraph BuildSectionGraph(const LabResult& result, const ScriptView& view);

// The graph as an inline <svg> element.
std::string GraphSvg(const SectionGraph& graph, int profiles);

}  // namespace velsetup::lab
