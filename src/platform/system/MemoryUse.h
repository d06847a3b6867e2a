#pragma once

// This process's resident memory in KiB, now and the most it has ever had; -1 where the
// system does not tell.
long residentKiB();
long peakResidentKiB();
