#pragma once

// What one poll read from the instrument and what follows from it. Built afresh at
// every poll; every field is single precision, as the instrument's values are.
struct PollReading {
    float RawT = 0;
    float RawRH = 0;
    float RawV = 0;

    float OptValue1 = 0;
    float OptRange1 = 0;
    float OptValue2 = 0;
    float OptRange2 = 0;

    float EValue = 0;
    float ERange = 0;
    float LValue = 0;
    float LRange = 0;
    float UVValue = 0;
    float UVRange = 0;

    float AcceptedT = 0;
    float AcceptedRH = 0;
    float AcceptedV = 0;
    float AcceptedE = 0;
    float AcceptedL = 0;
    float AcceptedUV = 0;

    float WetBulbT = 0;
    float DewPointT = 0;
};
