// Test support for the pictures: small input folders in memory whose families hold loops.
#ifndef PEDPREP_TESTING_LOOP_FOLDERS_H_
#define PEDPREP_TESTING_LOOP_FOLDERS_H_

#include "testing/fakes.h"

namespace pedprep::testing {

// Full sibs 3 and 4 mate (a loop: 4 is copied as 8 for their child 5); 5 and the founder 6
// have 7, who hangs off the loop. Identifier 4 has nation code 9, so the reconstruction
// gives the copy the parent copies 9 (of 1) and 10 (of 2). ids.csv names only 1, as
// `SIRE "A"`.
MemoryFileSystem LoopFolder();

// Founders 1 and 2 have 3, 4 and 6; the full sibs 3 and 4 have 5 and 10; 5 mates with his
// aunt 6 (a second loop), their children are 7 and 11; 7 has 9 by the founder 8. No nation
// code 9, so no parent copies.
MemoryFileSystem TwoLoopFolder();

}  // namespace pedprep::testing

#endif  // PEDPREP_TESTING_LOOP_FOLDERS_H_
