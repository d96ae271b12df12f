#include "ui/HelpDialog.h"

#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTextBrowser>
#include <QtWidgets/QVBoxLayout>

namespace calvane::ui {

namespace {

// Kept short: what a physiologist needs at the bench, not a textbook.
const char* const manual = R"(
<h2>Calvane</h2>
<p>Calvane fits two kinds of photosynthesis response curve: net CO<sub>2</sub> assimilation
<i>A</i> against intercellular CO<sub>2</sub> (the A/Ci window) and against absorbed light
(the light-response window). Each window holds the data grid, the parameter fields and a
chart. A field whose <b>Fixed</b> box is ticked keeps the value typed into it; the commands
compute every other field.</p>

<h3><a name="units"></a>Units</h3>
<table border="1" cellspacing="0" cellpadding="3">
<tr><td>Ci, Kc, GammaStar</td><td>µmol mol⁻¹</td></tr>
<tr><td>Ko</td><td>mmol mol⁻¹</td></tr>
<tr><td>A, Vcmax, Jmax, J, TPU, respiration, Rd, Amax</td><td>µmol CO<sub>2</sub> m⁻² s⁻¹</td></tr>
<tr><td>Light, Q Obs, Qa, light points</td><td>µmol photons m⁻² s⁻¹</td></tr>
<tr><td>AQE, φ</td><td>mol CO<sub>2</sub> per mol absorbed photons</td></tr>
<tr><td>Leaf temperature</td><td>°C</td></tr>
<tr><td>Patm</td><td>kPa</td></tr>
<tr><td>Par Abs, Convexity, θ</td><td>no unit</td></tr>
</table>

<h3><a name="signs"></a>Signs of respiration</h3>
<p>Calvane's own fields give respiration as an assimilation rate: a leaf that releases
CO<sub>2</sub> in the dark has a <b>negative</b> Respiration (for example −0.86). The standard
fits give <b>Rd positive</b>, as a loss subtracted from the gross rate (<i>A</i> = … − Rd).
The same leaf thus shows Respiration −1.2 in Calvane's fields and Rd about 1.2 in a standard
fit.</p>

<h3><a name="aci"></a>The A/Ci window</h3>
<p><b>Compute Curves</b> (F1) is Calvane's own analysis. From the leaf temperature it takes
Kc and Ko (406.7 µmol mol⁻¹ and 277.1 mmol mol⁻¹ at 25 °C), Tau and GammaStar. Vcmax and the
respiration come from a straight line fitted by least squares to <i>A</i> against the
linearised Rubisco term (Ci − Γ*) / (Ci + Kc (1 + O/Ko)), over the points that a selection
rule keeps (the low-Ci, Rubisco-limited part of the curve). Jmax comes from a second
straight line, <i>A</i> against (Ci − Γ*) / (4.5 Ci + 10.5 Γ*), over every point. TPU is
(largest measured <i>A</i> + Respiration) / 3. The chart shows the Rubisco-limited (Wc) and
RuBP-limited (Wj) curves and the TPU-limited level (Wp).</p>
<p><b>Standard Fit</b> (F3) fits the Farquhar–von Caemmerer–Berry model,
<i>A</i> = min(Wc, Wj[, Wp]) − Rd, to every point at once by nonlinear least squares, with
its own temperature constants (Kc 404.9 µmol mol⁻¹, Ko 278.4 mmol mol⁻¹ and Γ* 42.75
µmol mol⁻¹ at 25 °C, scaled by Patm). It gives each estimate with its standard error, Vcmax
and Jmax at 25 °C, and the SSE and RMSE of its curve. Without a light value it reports J
instead of Jmax.</p>

<h3><a name="tuning"></a>Tuning a standard fit</h3>
<ul>
<li><b>Fit TPU</b> lets TPU limit the high-Ci points; the fit keeps whichever of the fits
with and without TPU has the lower sum of squares.</li>
<li><b>Hold</b> keeps an estimate at the value typed beside it (Rd positive, as the fit
reports it, for example a respiration measured in the dark) while the others are fitted.
A held estimate has no standard error and no interval.</li>
<li><b>gm</b> (mol m⁻² s⁻¹ bar⁻¹) fits on the chloroplastic basis, Cc = Ci − <i>A</i>/gm;
left empty, the fit is on Ci.</li>
<li><b>Excluded points.</b> Right-click a row of the grid and choose <b>Exclude Point</b>,
or click the point on the chart; click again (or <b>Include Point</b>) to take it back. An
excluded point is drawn hollow and left out of the standard fits only: Calvane's own fit
still uses every point. A new curve (an import, a drop, a paste or Clear) starts with
every point in.</li>
<li><b>95 % interval.</b> Beside each standard error, the profile-likelihood interval: the
estimate stepped and the others refitted until the sum of squares passes the F-based bound.
It need not be symmetric. An end marked <b>open</b> is one the profile never reaches within
the parameter's bounds; the checks line says so.</li>
</ul>
<p>The light-response window's hyperbola has the same <b>Hold</b> boxes, and its standard
fits the same excluded points and intervals.</p>

<h3><a name="vcmax"></a>Why the two Vcmax values differ</h3>
<p>They answer the same question in different ways, and on one curve they can differ by a
factor of two:</p>
<ul>
<li><b>Method.</b> Calvane's own fit draws straight lines through linearised transforms of
the data; least squares on the transformed scale weighs the points differently from least
squares on <i>A</i> itself, which the standard fit uses.</li>
<li><b>Points.</b> Calvane's Vcmax comes only from the points its selection rule keeps; the
standard fit gives each point to whichever limitation is lowest there and fits them all.</li>
<li><b>Constants.</b> The two use their own Kc, Ko and Γ*; Γ* (32.2 against 42.75 µmol mol⁻¹
at 25 °C) weighs heavily at low Ci, where Vcmax is decided.</li>
<li><b>Respiration.</b> Calvane's comes from the intercept of the Vcmax line; the standard
fit estimates Rd together with the other parameters.</li>
</ul>
<p>Neither value is the leaf's one true Vcmax. Look at which curve meets the points (the
chart and the RMSE), and say in a report which method gave the value.</p>

<h3><a name="aq"></a>The light-response window</h3>
<p>The grid holds the incident light Q Obs and <i>A</i>; Qa = Q Obs × Par Abs is the
absorbed light the curve is drawn against. Calvane's model is
<i>A</i> = A0 + AQE·Qa / (1 + (AQE·Qa / Amax)<sup>θ</sup>)<sup>1/θ</sup>, with A0 the
respiration (negative), AQE the initial slope (apparent quantum efficiency) and Amax the
light-saturated rate above A0.</p>
<p><b>Fit Curve</b> (F6) searches a grid of values around the fields' Amax, AQE, Convexity
and respiration (those not Fixed) for the least sum of squared errors, then reads the light compensation point (where the
curve crosses <i>A</i> = 0) and the light saturation point (where its slope falls below
0.001) off the fitted curve. <b>Refine Curve</b> (F7) repeats the fit until the light
saturation point moves by less than 0.5 %.</p>
<p><b>Standard Fit</b> (F8) fits two curves by nonlinear least squares: the least-squares
optimum of Calvane's own model (its A0 keeps Calvane's sign), and the non-rectangular
hyperbola <i>A</i> = (φQa + Amax − √((φQa + Amax)² − 4θφQa·Amax)) / (2θ) − Rd.</p>

<h3><a name="convexity"></a>Convexity and θ</h3>
<p><b>Convexity</b> is the exponent θ of Calvane's model: how sharply the curve turns from
its initial slope to its plateau. At 1 the bend is that of a rectangular hyperbola; larger
values give a sharper corner, and the curve nears two straight lines (slope AQE, then level
Amax) as it grows.</p>
<p><b>θ</b> of the non-rectangular hyperbola is its curvature, from 0 (a rectangular
hyperbola) to 1 (two straight lines). The two are different parameters on different
scales: a Convexity of 2.5 and a θ of 0.7 say nothing about each other.</p>
)";

}  // namespace

const MenuItem helpItem{"Calvane Help", "", "What the fits do, their units and signs"};

QString helpText() { return QString::fromUtf8(manual); }

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this))
{
    setWindowTitle(tr("Calvane Help"));
    setModal(false);
    resize(640, 720);
    browser_->setOpenLinks(false);
    browser_->setHtml(helpText());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addWidget(buttons);
}

void HelpDialog::showSection(const QString& anchor)
{
    show();
    raise();
    activateWindow();
    browser_->scrollToAnchor(anchor);
}

}  // namespace calvane::ui
