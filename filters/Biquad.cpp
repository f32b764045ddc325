#include "filters/Biquad.h"

#include "utility/approximation.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.141592653589793;
constexpr double kSqrt2 = 1.4142135623730951;
constexpr double kMinQ = 0.1;
} // namespace

Biquad::Biquad(int filterType, double fc, double q, double peakGainDB)
{
  setBiquad(filterType, fc, q, peakGainDB);
  z1L = z2L = z1R = z2R = 0.0;
}

void Biquad::setBiquad(int filterType, double fc, double q, double peakGainDB)
{
  type = filterType;
  Q = q;
  Fc = fc > 0.5 ? 0.5 : fc; // no lower limit here, unlike setFc
  peakGain = peakGainDB + kPeakGainOffset;
  calcBiquad();
}

void Biquad::setType(int filterType)
{
  type = filterType;
  calcBiquad();
}

void Biquad::setQ(double q)
{
  Q = q;
  calcBiquad();
}

void Biquad::setBw(double octaves)
{
  const double p = std::pow(2.0, octaves);
  Q = std::sqrt(p) / (p - 1.0);
  calcBiquad();
}

void Biquad::setFc(double fc)
{
  fc = fc > 0.5 ? 0.5 : fc;
  Fc = fc < 0.0 ? 0.0 : fc;
  calcBiquad();
}

void Biquad::setSampleRate(double rate)
{
  sampleRate = rate;
  calcBiquad();
}

void Biquad::setPeakGain(double peakGainDB)
{
  peakGain = peakGainDB + kPeakGainOffset;
  calcBiquad();
}

void Biquad::calcBiquad()
{
  // Only the magnitude sets V; the sign of peakGain picks the boost or the cut form.
  const double V = fastPow10(std::fabs(peakGain) / 20.0);
  if (Q < kMinQ) Q = kMinQ;
  if (static_cast<unsigned>(type) > kHighShelf) return;

  const double K = fastTan(kPi * Fc);
  const double KK = K * K;
  const double W = std::sqrt(2.0 * V);
  const bool boost = peakGain >= 0.0;
  double norm;

  switch (type)
  {
  case kLowPass:
    norm = 1.0 / (1.0 + K / Q + KK);
    a0 = KK * norm;
    a1 = 2.0 * a0;
    a2 = a0;
    b1 = 2.0 * (KK - 1.0) * norm;
    b2 = (1.0 - K / Q + KK) * norm;
    break;
  case kHighPass:
    norm = 1.0 / (1.0 + K / Q + KK);
    a0 = norm;
    a1 = -2.0 * norm;
    a2 = norm;
    b1 = 2.0 * (KK - 1.0) * norm;
    b2 = (1.0 - K / Q + KK) * norm;
    break;
  case kBandPass:
    norm = 1.0 / (1.0 + K / Q + KK);
    a0 = K / Q * norm;
    a1 = 0.0;
    a2 = -a0;
    b1 = 2.0 * (KK - 1.0) * norm;
    b2 = (1.0 - K / Q + KK) * norm;
    break;
  case kNotch:
    norm = 1.0 / (1.0 + K / Q + KK);
    a0 = (1.0 + KK) * norm;
    a1 = 2.0 * (KK - 1.0) * norm;
    a2 = a0;
    b1 = a1;
    b2 = (1.0 - K / Q + KK) * norm;
    break;
  case kPeak:
    if (boost)
    {
      norm = 1.0 / (1.0 + K / Q + KK);
      a0 = (1.0 + V * K / Q + KK) * norm;
      a1 = 2.0 * (KK - 1.0) * norm;
      a2 = (1.0 - V * K / Q + KK) * norm;
      b1 = a1;
      b2 = (1.0 - K / Q + KK) * norm;
    }
    else
    {
      norm = 1.0 / (1.0 + V * K / Q + KK);
      a0 = (1.0 + K / Q + KK) * norm;
      a1 = 2.0 * (KK - 1.0) * norm;
      a2 = (1.0 - K / Q + KK) * norm;
      b1 = a1;
      b2 = (1.0 - V * K / Q + KK) * norm;
    }
    break;
  case kLowShelf:
    if (boost)
    {
      norm = 1.0 / (1.0 + kSqrt2 * K + KK);
      a0 = (1.0 + W * K + V * KK) * norm;
      a1 = 2.0 * (V * KK - 1.0) * norm;
      a2 = (1.0 - W * K + V * KK) * norm;
      b1 = 2.0 * (KK - 1.0) * norm;
      b2 = (1.0 - kSqrt2 * K + KK) * norm;
    }
    else
    {
      norm = 1.0 / (1.0 + W * K + V * KK);
      a0 = (1.0 + kSqrt2 * K + KK) * norm;
      a1 = 2.0 * (KK - 1.0) * norm;
      a2 = (1.0 - kSqrt2 * K + KK) * norm;
      b1 = 2.0 * (V * KK - 1.0) * norm;
      b2 = (1.0 - W * K + V * KK) * norm;
    }
    break;
  case kHighShelf:
    if (boost)
    {
      norm = 1.0 / (1.0 + kSqrt2 * K + KK);
      a0 = (V + W * K + KK) * norm;
      a1 = 2.0 * (KK - V) * norm;
      a2 = (V - W * K + KK) * norm;
      b1 = 2.0 * (KK - 1.0) * norm;
      b2 = (1.0 - kSqrt2 * K + KK) * norm;
    }
    else
    {
      norm = 1.0 / (V + W * K + KK);
      a0 = (1.0 + kSqrt2 * K + KK) * norm;
      a1 = 2.0 * (KK - 1.0) * norm;
      a2 = (1.0 - kSqrt2 * K + KK) * norm;
      b1 = 2.0 * (KK - V) * norm;
      b2 = (V - W * K + KK) * norm;
    }
    break;
  }
}
