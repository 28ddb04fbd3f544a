#include "coordinator/batteryfilter.h"

#include <QDebug>

#include <algorithm>
#include <functional>

namespace {

qint64 distance(DWORD a, DWORD b)
{
    return qAbs(qint64(a) - qint64(b));
}

} // namespace

void BatteryFilter::reset()
{
    m_warmUp = true;
    m_reading1 = m_reading2 = m_reading3 = 0;
    m_count = 0;
    m_level = 0;
    m_samples.clear();
}

std::optional<DWORD> BatteryFilter::add(DWORD value)
{
    qDebug() << "FilterTheQuantityOfElectricCharge value" << value;
    if (m_warmUp) {
        m_reading1 = m_reading2;
        m_reading2 = m_reading3;
        m_reading3 = value;
        if (m_reading1 == 0 && m_reading2 == 0 && m_reading3 == 0)
            return kUnknown;
        if (distance(m_reading2, m_reading1) < 2 && distance(m_reading3, m_reading2) < 2) {
            m_level = value;
            m_warmUp = false;
            m_count = 0;
            m_samples.clear();
            qDebug() << "+++FilterTheQuantityOfElectricCharge getCorrectValue+++" << m_reading1 << m_reading2
                     << m_reading3;
            return value;
        }
        return std::nullopt;
    }

    if (value == m_level) {
        m_count = 0;
        m_samples.clear();
        return std::nullopt;
    }
    if (distance(value, m_level) < 3)
        return std::nullopt;
    m_samples.append(value);
    ++m_count;
    qDebug() << "Now filter times is " << m_count;
    qDebug() << "Now current battery value is" << m_level;
    if (m_count < kSamples)
        return std::nullopt;
    // The second smallest of the five: one low outlier cannot pull the
    // level down, a real drop moves it.
    std::sort(m_samples.begin(), m_samples.end(), std::greater<DWORD>());
    m_level = m_samples.at(3);
    m_count = 0;
    m_samples.clear();
    return m_level;
}
