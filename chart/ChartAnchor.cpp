// Keeps the chart library non-empty until its first classes land.
namespace kelvara_chart_anchor {
int Anchor = 0;
}
