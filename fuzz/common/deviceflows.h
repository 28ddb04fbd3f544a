#pragma once

#include "platform/hidbus.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <cstddef>
#include <cstdint>

// The conversation the device harnesses hold with a mouse, shared by the
// harnesses (against FuzzHidBus) and the seed generator (against the
// emulators, recorded): open and read the whole mouse through the
// coordinator, as the window and ox8ctl do, then read the battery, write
// the CPI stages and load a stored profile into the mouse.

// Emulated model names ("ox7", "ox7:receiver") of each family's harness.
QStringList familyAFuzzModels();
QStringList familyBFuzzModels();

// Type codes the file harnesses pick from with their first byte (modulo
// the count): both data dialects, each with and without a second light
// zone or an OLED screen.
const QVector<int> &fuzzModelTypes();

// The product id the coordinator opens for a model name; 0 if unknown.
quint16 fuzzProductId(const QString &model);
// The interfaces an emulated desk with that model lists.
QVector<HidDeviceInfo> fuzzInterfaces(const QString &model);

// The conversation itself, with APP emptied first and hidBus() as installed.
void runCoordinatorSession(quint16 productId);

// The body of a device-answer harness: one bus per model, whose first input
// byte picks the model and whose rest is the answer stream.
void initDeviceAnswerHarness(const QStringList &models, int *argc, char ***argv);
void runDeviceAnswerInput(const uint8_t *data, size_t size);
