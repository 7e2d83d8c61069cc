#pragma once

class QObject;
class QWidget;

// Builds the planner window's controls into an empty window, as drawn:
// the banner and tank displays, the three frames with their captions,
// fields, lists and unit labels, the aircraft frame and the command area,
// each control named as the window's automation names it, in the design's
// fixed size and font. The key filter goes on the five entry fields; no
// handler is connected, no list selected and no field filled.
void BuildPlannerWidgets(QWidget* window, QObject* entryKeyFilter);
