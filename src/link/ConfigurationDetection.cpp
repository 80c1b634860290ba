#include "ConfigurationDetection.h"

#include "Unitcomport.h"

#include <array>

namespace {

EnableSet climatic() {
    return {
        {"StaticTextT", "StaticTextTvl", "StaticTextTtr", "StaticTextRH", "StaticTextV"},
        {"CheckBox1T", "CheckBox1RH", "CheckBox1Tvl", "CheckBox1Ttr", "CheckBox1V", "CheckBox1VR"},
        {"CheckBoxT", "CheckBoxRH", "CheckBoxV"}};
}

EnableSet climaticAnd(const QStringList& fields, const QStringList& channels,
                      const QStringList& limits) {
    EnableSet s = climatic();
    s.valueFields += fields;
    s.channelBoxes += channels;
    s.limitBoxes += limits;
    return s;
}

const std::array<ModelRow, 7>& modelTable() {
    static const std::array<ModelRow, 7> table{{
        {50,
         QStringLiteral("ДАРЕН/10"),
         {{"StaticTextV"}, {"CheckBox1V", "CheckBox1VR"}, {"CheckBoxV"}}},
        {52,
         QStringLiteral("ДАРЕН/12"),
         {{"StaticTextT", "StaticTextV"},
          {"CheckBox1T", "CheckBox1V", "CheckBox1VR"},
          {"CheckBoxT", "CheckBoxV"}}},
        {60, QStringLiteral("ДАРЕН/20"), climatic()},
        {61, QStringLiteral("ДАРЕН/21"),
         climaticAnd({"StaticTextE", "StaticTextL"}, {"CheckBox1E", "CheckBox1L"},
                     {"CheckBoxE", "CheckBoxL"})},
        {62, QStringLiteral("ДАРЕН/22"),
         climaticAnd({"StaticTextE", "StaticTextUV"}, {"CheckBox1E", "CheckBox1UV"},
                     {"CheckBoxE", "CheckBoxUV"})},
        {63, QStringLiteral("ДАРЕН/23"),
         climaticAnd({"StaticTextE"}, {"CheckBox1E"}, {"CheckBoxE"})},
        // The head decides what this model measures.
        {65, QStringLiteral("ДАРЕН/25"), {}},
    }};
    return table;
}

// Head byte 1 is labelled "гол.2" and head byte 2 "гол.1": the instrument numbers its
// heads the other way round from the labels on them.
const std::array<HeadRow, 3>& headTable() {
    static const std::array<HeadRow, 3> table{{
        {0, QStringLiteral("нет"), {}},
        {1,
         QStringLiteral("гол.2"),
         {{"StaticTextL", "StaticTextUV"},
          {"CheckBox1L", "CheckBox1UV"},
          {"CheckBoxL", "CheckBoxUV"}}},
        {2, QStringLiteral("гол.1"), climaticAnd({"StaticTextE"}, {"CheckBox1E"}, {"CheckBoxE"})},
    }};
    return table;
}

} // namespace

std::optional<ModelRow> FindModel(std::int8_t modelCode) {
    for (const auto& row : modelTable())
        if (static_cast<std::int8_t>(row.code) == modelCode)
            return row;
    return std::nullopt;
}

std::optional<HeadRow> FindHead(std::int8_t headCode) {
    for (const auto& row : headTable())
        if (static_cast<std::int8_t>(row.code) == headCode)
            return row;
    return std::nullopt;
}

DetectionReply QueryConfiguration(int portNumber) {
    PortSession session(portNumber);
    return QueryOpenPort();
}

DetectionReply QueryOpenPort() {
    DetectionReply reply;
    PlanExchange(commandBytes(1));
    if (!SendCommand(CmdModel))
        return reply;
    const auto model = ReceiveByte();
    if (!model)
        return reply;
    reply.model = static_cast<std::int8_t>(*model);
    if (reply.model == ModelWithHeads) {
        reply.headAsked = true;
        PlanExchange(commandBytes(1));
        if (!SendCommand(CmdHeads))
            return reply;
        const auto head = ReceiveByte();
        if (!head)
            return reply;
        reply.head = static_cast<std::int8_t>(*head);
    }
    reply.answered = true;
    return reply;
}
