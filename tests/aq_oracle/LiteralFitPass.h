#pragma once
// A deliberately literal Fit Curve pass, kept as the reference that any faster search
// must reproduce bit for bit. It follows the written steps one by one on plain texts
// (no window, no grid, no callbacks) and shares only the model, the number reader and
// the number writer with the program. Do not optimise it: its value is that it is
// obviously the procedure as written.

#include "aq/AQ_C3_Curve.h"
#include "core/NumberText.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace calvane::aq_oracle {

// The window's texts and flags as the pass reads and writes them. Row r of the grid is
// index r - 1 of the three columns.
struct Sheet {
    std::vector<std::string> qObs;
    std::vector<std::string> assimilation;
    std::vector<std::string> qa;
    std::string amax, aqe, convexity, respiration;
    std::string parAbs = "0.85";
    std::string lightComp, lightSat;
    bool amaxFixed = false, aqeFixed = false, convexityFixed = false, respirationFixed = false;
    // What the pass drew as the computed curve.
    std::vector<std::pair<double, double>> computedCurve;
    // An error sum overflowed: the pass ended there, as the command ends with an error.
    bool overflowed = false;
};

// Returns false when no data row has a positive Q Obs, so the light points were not
// written.
inline bool fitCurvePass(Sheet& s, char sep)
{
    using LD = long double;
    auto value = [sep](const std::string& text) { return readNumberOr0(text, sep); };
    auto text = [sep](LD v) { return formatNumber(v, sep); };
    const int rows = static_cast<int>(s.qObs.size());

    // 1. Plot Data: Par Abs, the Qa column and the observed points, from the bottom row up.
    double parAbs = value(s.parAbs);
    if (parAbs < 0.01)
        parAbs = 0.85;
    s.parAbs = text(parAbs);
    std::vector<double> px, py;
    for (int r = rows - 1; r >= 0; r--) {
        double q = value(s.qObs[r]);
        double qa = parAbs * q;
        s.qa[r] = text(qa);
        if (s.assimilation[r].empty())
            continue;
        double a = value(s.assimilation[r]);
        if (qa > 0 || a != 0) {
            px.push_back(qa);
            py.push_back(a);
        }
    }
    double largestY = 0;
    for (std::size_t i = 0; i < py.size(); i++)
        if (i == 0 || py[i] > largestY)
            largestY = py[i];

    // 2. Starting texts.
    if (s.amax.empty() && !s.amaxFixed)
        s.amax = text(largestY);
    if (s.aqe.empty() && !s.aqeFixed)
        s.aqe = "0.0";
    if (s.convexity.empty() && !s.convexityFixed)
        s.convexity = "3.0";
    if (s.respiration.empty() && !s.respirationFixed)
        s.respiration = "0.0";

    // 3. Base values.
    LD Amax = value(s.amax);
    LD AQE = value(s.aqe);
    LD Theta = value(s.convexity);
    LD A0 = value(s.respiration);

    // 4. Error of the base values.
    auto sse = [&](LD amax, LD aqe, LD theta, LD a0) {
        LD e = 0;
        for (std::size_t i = 0; i < px.size(); i++) {
            LD d = TfrmAQ_C3_Curve::respCurve(px[i], amax, aqe, theta, a0) - py[i];
            e = e + d * d;
        }
        return e;
    };
    LD best = sse(Amax, AQE, Theta, A0);
    if (!std::isfinite(best)) {
        s.overflowed = true;
        return false;
    }

    // 5. Amax start and step.
    LD S = 0.95L * Amax;
    if (largestY > S)
        S = largestY;
    LD AmaxStep = (1.5L * Amax - S) / 20;

    // 7. and 8. The four loops.
    int lastAmax = s.amaxFixed ? 1 : 20;
    int lastAqe = s.aqeFixed ? 1 : 125;
    int lastTheta = s.convexityFixed ? 1 : 20;
    int lastA0 = s.respirationFixed ? 1 : 20;
    LD trialAmax = S;
    for (int k1 = 0; k1 <= lastAmax; k1++) {
        if (s.amaxFixed)
            trialAmax = Amax;
        else
            trialAmax = trialAmax + AmaxStep;
        LD aqeStart = AQE - 0.05L;
        if (aqeStart < 0)
            aqeStart = 0.005L;
        LD trialAqe = aqeStart;
        for (int k2 = 0; k2 <= lastAqe; k2++) {
            if (s.aqeFixed)
                trialAqe = AQE;
            else
                trialAqe = trialAqe + 0.002L;
            LD thetaStep = 0.4L * Theta / 20;
            LD trialTheta = 0.8L * Theta;
            for (int k3 = 0; k3 <= lastTheta; k3++) {
                if (s.convexityFixed)
                    trialTheta = Theta;
                else
                    trialTheta = trialTheta + thetaStep;
                LD trialA0 = A0 - 0.5L;
                for (int k4 = 0; k4 <= lastA0; k4++) {
                    if (s.respirationFixed)
                        trialA0 = A0;
                    else
                        trialA0 = trialA0 + 0.05L;
                    LD e = sse(trialAmax, trialAqe, trialTheta, trialA0);
                    if (!std::isfinite(e)) {
                        s.overflowed = true;
                        return false;
                    }
                    if (e < best) {
                        best = e;
                        s.amax = text(trialAmax);
                        s.aqe = text(trialAqe);
                        s.convexity = text(trialTheta);
                        s.respiration = text(trialA0);
                    }
                }
            }
        }
    }

    // 9. The computed curve and the light points, from the texts just written.
    s.computedCurve.clear();
    double amax = value(s.amax), aqe = value(s.aqe), theta = value(s.convexity), a0 = value(s.respiration);
    double qmax = 0;
    for (int r = rows - 1; r >= 0; r--)
        if (value(s.qObs[r]) > qmax)
            qmax = value(s.qObs[r]);
    if (qmax > 0) {
        LD h = qmax / 500.0L;
        LD smallest = 99999999;
        LD comp = 0;
        LD sat = 99999;
        bool satFound = false;
        for (int i = 0; i <= 5000; i++) {
            LD x = i * h;
            LD y = TfrmAQ_C3_Curve::respCurve(x, amax, aqe, theta, a0);
            LD y2 = TfrmAQ_C3_Curve::respCurve(x + h, amax, aqe, theta, a0);
            if (i < 500) {
                if (!std::isfinite(static_cast<double>(x)) || !std::isfinite(static_cast<double>(y))) {
                    s.overflowed = true;  // no chart can hold that point
                    s.computedCurve.clear();
                    return false;
                }
                s.computedCurve.emplace_back(static_cast<double>(x), static_cast<double>(y));
            }
            if ((y < 0 ? -y : y) < smallest) {
                smallest = y < 0 ? -y : y;
                comp = x;
            }
            LD rise = y2 - y;
            if (!satFound && (rise < 0 ? -rise : rise) / h < 0.001L) {
                sat = x;
                satFound = true;
            }
        }
        s.lightComp = text(comp);
        s.lightSat = text(sat);
        return true;
    }
    return false;
}

// Refine Curve: passes until the saturation point moves by less than 0.5 % of its new
// value, at most six.
inline void refineCurve(Sheet& s, char sep)
{
    for (int pass = 0; pass < 6; pass++) {
        double prev = readNumberOr0(s.lightSat, sep);
        if (!fitCurvePass(s, sep))
            return;
        double now = readNumberOr0(s.lightSat, sep);
        if (0.005L * now > std::fabs(static_cast<long double>(now) - prev))
            return;
    }
}

}  // namespace calvane::aq_oracle
