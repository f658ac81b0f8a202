#pragma once
#include <cstdint>

// The progress lines of the dialog (the counts line with the bar, the rate
// and the time left). Each repaints at most once per 100 ms, by time stamps
// shared by every operation dialog of the process.
enum ProgressLine { PathLine = 0, PassesLine = 1, CountsLine = 2 };
// False while the line would drop a new text: the worker then spares itself
// the exchange with the dialog thread, which under Wine costs more than
// deleting a small file.
bool ProgressLineDue(ProgressLine line);
// The same question at the tick count `now`; the dialog stamps the lines it
// repaints.
bool ProgressLineDueAt(ProgressLine line, uint32_t now);
void StampProgressLine(ProgressLine line, uint32_t now);
// Forgets the progress lines' time stamps, as if no dialog had shown a line
// lately.
void ResetProgressLines();
