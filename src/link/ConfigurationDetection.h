#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// What a detected configuration switches on: object names of the main window's value
// fields and of the settings window's channel and limit check boxes.
struct EnableSet {
    QStringList valueFields;
    QStringList channelBoxes;
    QStringList limitBoxes;
};

struct ModelRow {
    std::uint8_t code;
    QString name;
    EnableSet enables;
};

struct HeadRow {
    std::uint8_t code;
    QString text;
    EnableSet enables;
};

// The model table; nothing for a byte that names no model.
std::optional<ModelRow> FindModel(std::int8_t modelCode);
// The head table of the model with exchangeable heads; nothing for an unknown byte.
std::optional<HeadRow> FindHead(std::int8_t headCode);

// The model byte of the instrument with exchangeable measuring heads.
constexpr std::int8_t ModelWithHeads = 0x41;

struct DetectionReply {
    bool answered = false; // false: a query hit the WaitByte bound
    std::int8_t model = 0;
    std::int8_t head = 0;
    bool headAsked = false;
};

// The model query and, for the model with heads, the head query, on port n.
// Opens and closes the port itself; no probe precedes the queries.
DetectionReply QueryConfiguration(int portNumber);
// The same queries on the port already open, as part of the exchange under way.
DetectionReply QueryOpenPort();
