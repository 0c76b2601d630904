#include "kit/suite/TruneSuiteCommandEnvelope.h"

#include "kit/platform/TruneCanonicalEquality.h"

bool operator==(const TruneSuiteCommandEnvelope& a, const TruneSuiteCommandEnvelope& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

QJsonValue TruneJsonCoding<TruneSuiteCommandEnvelope>::encode(const TruneSuiteCommandEnvelope& envelope)
{
    TruneJsonObjectWriter out;
    out.write("id", envelope.id);
    out.write("timestamp", TruneInternetDate{envelope.timestamp});
    out.write("sourceApp", envelope.sourceApp);
    out.write("targetApp", envelope.targetApp);
    out.write("kind", envelope.kind);
    out.write("targetPID", envelope.targetPID);
    out.write("targetName", envelope.targetName);
    out.write("payload", envelope.payload);
    return out.object();
}

TruneJsonResult<TruneSuiteCommandEnvelope> TruneJsonCoding<TruneSuiteCommandEnvelope>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneSuiteCommandEnvelope>(json, [](TruneJsonObjectReader& in) {
        TruneSuiteCommandEnvelope envelope;
        envelope.id = in.required<QUuid>("id");
        envelope.timestamp = in.required<TruneInternetDate>("timestamp").value;
        envelope.sourceApp = in.required<TruneSuiteApp>("sourceApp");
        envelope.targetApp = in.required<TruneSuiteApp>("targetApp");
        envelope.kind = in.required<TruneSuiteCommandKind>("kind");
        envelope.targetPID = in.optional<int>("targetPID");
        envelope.targetName = in.optional<QString>("targetName");
        envelope.payload = in.optional<QString>("payload");
        return envelope;
    });
}
