#pragma once

// Appends one row to datUserTimesSummary for a Submit press.
void RecordSubmitTime();
