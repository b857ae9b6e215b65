#pragma once

#include <cstdint>
#include <vector>

#include "reports/upperair_records.h"

constexpr int kNoHeading = -1;

// Index of the nearest TTAA record within 10000 km that decodes to more than two standard levels,
// or -1. Records are tried nearest first (the later one of equal distances first) and decoded in
// place, the rejected ones too. With a heading (whole degrees), only records whose initial course
// from the position lies within 45 degrees of it count.
std::int32_t NearestTTAA(float latitude, float longitude, std::vector<UpperairRecord>* records,
                         int heading = kNoHeading);

// The same search over records decoded already (a conversion run decodes its list once, not once
// per station): usable[i] says whether record i decodes to more than two standard levels. Nothing
// is decoded.
std::int32_t NearestDecodedTTAA(float latitude, float longitude, const std::vector<UpperairRecord>& records,
                                const std::vector<bool>& usable, int heading = kNoHeading);

// Decodes every record in place; the result is the usable flags of NearestDecodedTTAA.
std::vector<bool> DecodeAllTTAA(std::vector<UpperairRecord>* records);

// Index of the nearest part within 10000 km (TTBB) or 1000 km (PPBB), the later one of equal
// distances; -1 when there is none. Nothing is decoded.
std::int32_t NearestTTBB(float latitude, float longitude, const std::vector<UpperairPart>* parts);
std::int32_t NearestPPBB(float latitude, float longitude, const std::vector<UpperairPart>* parts);
