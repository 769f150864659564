#include "app/timeline.h"

double zoom_start = 0.0;
double pulse_start = 0.0;
double strip_start = 0.0;

void run_timeline(double)
{
}
