// Reject-word matcher: arrives with its tests.
